// The poll over the running QuickTimers: every entry steps once, from the last
// position to the first, and the ones that report the end are taken out.
#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

// `step(entry)` answers whether the entry lives on; an entry that does not is
// taken out of `running` and handed to `finished`, which owns it from then on.
// Returns how many were taken out. Walking backwards, a removal never skips or
// repeats another entry, and entries that expire on the same tick act from the
// highest cell position down.
//
// `polling` is true while a poll runs: a poll asked for from inside a step (a
// message loop that runs while a step waits) returns 0 at once, so the poll
// never runs inside itself. Should a step change the list all the same (an
// entry stopped from such a loop), the entry is found again by identity and
// the walk goes on below it; entries taken out meanwhile are not stepped.
template <typename Entry, typename StepFn, typename FinishedFn>
std::size_t PollRunning(std::vector<std::unique_ptr<Entry>>& running, bool& polling, StepFn step,
                        FinishedFn finished) {
  if (polling) return 0;
  polling = true;
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{polling};
  std::size_t removed = 0;
  std::size_t next = running.size();  // the entries below `next` have not stepped yet
  while (next > 0) {
    next = std::min(next, running.size());
    if (next == 0) break;
    Entry* const entry = running[next - 1].get();
    const bool alive = step(*entry);
    const auto at = std::find_if(running.begin(), running.end(),
                                 [entry](const std::unique_ptr<Entry>& e) { return e.get() == entry; });
    if (at == running.end()) {  // taken out by someone else while it stepped
      --next;
      continue;
    }
    next = static_cast<std::size_t>(at - running.begin());
    if (!alive) {
      std::unique_ptr<Entry> taken = std::move(*at);
      running.erase(at);
      finished(std::move(taken));
      ++removed;
    }
  }
  return removed;
}
