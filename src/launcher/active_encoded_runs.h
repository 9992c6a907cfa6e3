// How many started encoded launcher items are still running (their plain file is on disk).
// Watcher threads change it; the clock's Exit reads it and refuses while it is above 0.
#pragma once

int ActiveEncodedRuns();

// Counts one running encoded item for as long as it lives.
class EncodedRunCount {
 public:
  EncodedRunCount();
  ~EncodedRunCount();
  EncodedRunCount(const EncodedRunCount&) = delete;
  EncodedRunCount& operator=(const EncodedRunCount&) = delete;
};
