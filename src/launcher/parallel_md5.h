// MD5 of a stream of chunks, computed on a thread of its own, so that hashing a large file
// runs beside reading, transforming and writing it on the caller's thread (two cores reach
// about the speed of MD5 alone). Without a thread it hashes on the caller's thread instead.
#pragma once

#include <array>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>

#include "launcher/md5.h"

class ParallelMd5 {
 public:
  ParallelMd5();
  ~ParallelMd5();
  ParallelMd5(const ParallelMd5&) = delete;
  ParallelMd5& operator=(const ParallelMd5&) = delete;

  // Queues size bytes at data, which must stay unchanged until Wait(ticket) has returned (or
  // this object is gone: the buffers must outlive it).
  std::uint64_t Add(const void* data, std::size_t size);
  // Returns once everything queued up to and including `ticket` is hashed.
  void Wait(std::uint64_t ticket);
  // The digest of everything queued.
  std::array<std::uint8_t, 16> Final();

 private:
  void Run();

  Md5 md5_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::pair<const void*, std::size_t>> queue_;
  std::uint64_t queued_ = 0;
  std::uint64_t hashed_ = 0;
  bool stopping_ = false;
  std::thread thread_;
};
