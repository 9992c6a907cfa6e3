#include "launcher/parallel_md5.h"

#include <system_error>

ParallelMd5::ParallelMd5() {
  try {
    thread_ = std::thread([this] { Run(); });
  } catch (const std::system_error&) {
    // No thread to be had: Add hashes at once.
  }
}

ParallelMd5::~ParallelMd5() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
    queue_.clear();  // a job given up half way: what is not hashed yet never will be
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void ParallelMd5::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
    if (queue_.empty()) return;
    const auto [data, size] = queue_.front();
    queue_.pop_front();
    lock.unlock();
    md5_.Update(data, size);
    lock.lock();
    ++hashed_;
    changed_.notify_all();
  }
}

std::uint64_t ParallelMd5::Add(const void* data, std::size_t size) {
  if (!thread_.joinable()) {
    md5_.Update(data, size);
    return ++queued_;
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.emplace_back(data, size);
    ++queued_;
  }
  changed_.notify_all();
  return queued_;
}

void ParallelMd5::Wait(std::uint64_t ticket) {
  if (!thread_.joinable()) return;
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [&] { return hashed_ >= ticket; });
}

std::array<std::uint8_t, 16> ParallelMd5::Final() {
  Wait(queued_);
  return md5_.Final();
}
