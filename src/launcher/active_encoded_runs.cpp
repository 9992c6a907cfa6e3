#include "launcher/active_encoded_runs.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace {
std::atomic<int> activeRuns{0};
// Only for WaitForEncodedRuns: the last run to end wakes a waiter.
std::mutex lastEnded;
std::condition_variable noneLeft;
}  // namespace

int ActiveEncodedRuns() { return activeRuns.load(); }

bool WaitForEncodedRuns(std::uint32_t timeoutMs) {
  std::unique_lock<std::mutex> lock(lastEnded);
  return noneLeft.wait_for(lock, std::chrono::milliseconds(timeoutMs), [] { return activeRuns.load() <= 0; });
}

EncodedRunCount::EncodedRunCount() { activeRuns.fetch_add(1); }

EncodedRunCount::~EncodedRunCount() {
  if (activeRuns.fetch_sub(1) == 1) {
    // Taken after the count fell, so a waiter is either before its check or asleep.
    std::lock_guard<std::mutex> lock(lastEnded);
    noneLeft.notify_all();
  }
}
