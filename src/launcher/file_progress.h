// How far a long file job has come, and the user's wish to stop it: written by the worker
// that does the job, read (and cancelled) by the window that shows it.
#pragma once

#include <atomic>
#include <cstdint>

struct FileProgress {
  std::atomic<std::uint64_t> done{0};   // bytes of the source handled so far
  std::atomic<std::uint64_t> total{0};  // bytes of the source in all; 0 until known
  std::atomic<bool> cancelled{false};   // set by the user; the job stops at its next chunk

  // Percent done, 0 to 100.
  int Percent() const {
    const std::uint64_t all = total.load(), now = done.load();
    return all == 0 ? 0 : static_cast<int>(now >= all ? 100 : now * 100 / all);
  }
};
