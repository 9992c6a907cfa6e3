// The keyed block transform that makes launcher files unreadable without the user's key.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

// Everything the transform needs that depends only on the key: the rotation count and, for
// every possible window offset, the 8-byte window and the offset of the next block's window.
class KeySchedule {
 public:
  explicit KeySchedule(std::string_view key);

  int Rotation() const { return rotation_; }
  std::uint64_t Window(int offset) const { return windows_[offset]; }  // little-endian bytes T[off..off+7]
  int NextOffset(int offset) const { return next_[offset]; }
  const std::array<std::uint8_t, 64>& Table() const { return table_; }

  static const std::array<std::uint8_t, 64>& BaseTable();

 private:
  std::array<std::uint8_t, 64> table_{};
  std::array<std::uint64_t, 32> windows_{};
  std::array<std::uint8_t, 32> next_{};
  int rotation_ = 11;
};

// Transforms the first bytes of buffer in place (encode = true encodes). Buffers of fewer than
// 8 bytes are left unchanged; otherwise the final 1 to 8 bytes are never touched.
void KeyedBlockTransform(std::uint8_t* buffer, std::size_t n, std::string_view key, bool encode);
void KeyedBlockTransform(std::uint8_t* buffer, std::size_t n, const KeySchedule& schedule, bool encode);

// How many leading 8-byte blocks the transform changes for a buffer of n bytes.
std::size_t TransformedBlockCount(std::size_t n);
