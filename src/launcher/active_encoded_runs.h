// How many started encoded launcher items are still running (their plain file is on disk).
// Watcher threads change it; the clock's Exit reads it and refuses while it is above 0.
#pragma once

#include <cstdint>

int ActiveEncodedRuns();

// Waits until no encoded run is left, or `timeoutMs` has passed; true when none is left.
// For the end of the session, when the started programs are being closed too and each
// watcher encodes its file again as its program ends.
bool WaitForEncodedRuns(std::uint32_t timeoutMs);

// Counts one running encoded item for as long as it lives.
class EncodedRunCount {
 public:
  EncodedRunCount();
  ~EncodedRunCount();
  EncodedRunCount(const EncodedRunCount&) = delete;
  EncodedRunCount& operator=(const EncodedRunCount&) = delete;
};
