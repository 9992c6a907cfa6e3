// The poll over the running QuickTimers: every entry steps once, from the last
// position to the first, and the ones that report the end are taken out.
#pragma once

#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

// `step(entry)` answers whether the entry lives on; an entry that does not is
// taken out of `running` and handed to `finished`, which owns it from then on.
// Returns how many were taken out. Walking backwards, a removal never skips or
// repeats another entry, and entries that expire on the same tick act from the
// highest cell position down.
template <typename Entry, typename StepFn, typename FinishedFn>
std::size_t PollRunning(std::vector<std::unique_ptr<Entry>>& running, StepFn step, FinishedFn finished) {
  std::size_t removed = 0;
  for (std::size_t i = running.size(); i-- > 0;) {
    if (!step(*running[i])) {
      std::unique_ptr<Entry> entry = std::move(running[i]);
      running.erase(running.begin() + static_cast<std::ptrdiff_t>(i));
      finished(std::move(entry));
      ++removed;
    }
  }
  return removed;
}
