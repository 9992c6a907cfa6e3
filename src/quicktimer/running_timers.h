// The poll over the running QuickTimers: every entry steps once, from the last
// position to the first, and the ones that report the end are removed.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

// `step(entry)` answers whether the entry lives on. Returns how many were removed.
// Walking backwards, a removal never skips or repeats another entry, and entries
// that expire on the same tick act from the highest cell position down.
template <typename Entry, typename StepFn>
std::size_t PollRunning(std::vector<std::unique_ptr<Entry>>& running, StepFn step) {
  std::size_t removed = 0;
  for (std::size_t i = running.size(); i-- > 0;) {
    if (!step(*running[i])) {
      running.erase(running.begin() + static_cast<std::ptrdiff_t>(i));
      ++removed;
    }
  }
  return removed;
}
