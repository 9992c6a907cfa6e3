// MD5 (RFC 1321): the integrity check inside an encoded launcher file.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

// Incremental: Update over consecutive chunks of any sizes gives the digest of their concatenation.
class Md5 {
 public:
  Md5();
  void Update(const void* data, std::size_t size);
  std::array<std::uint8_t, 16> Final();

 private:
  std::uint32_t state_[4];
  std::uint64_t length_ = 0;  // bytes seen
  std::uint8_t pending_[64];
  std::size_t pendingSize_ = 0;
};

// The digest as 32 lowercase hexadecimal digits.
std::string Md5Hex(const void* data, std::size_t size);
std::string HexDigest(const std::array<std::uint8_t, 16>& digest);
