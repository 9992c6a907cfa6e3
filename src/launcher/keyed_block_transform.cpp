#include "launcher/keyed_block_transform.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <utility>

namespace {

constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
constexpr std::uint64_t kHigh = 0x8080808080808080ull;

// Byte-wise addition and subtraction modulo 256 inside one 64-bit word (no carry crosses a byte).
inline std::uint64_t AddBytes(std::uint64_t a, std::uint64_t b) { return ((a & kLow7) + (b & kLow7)) ^ ((a ^ b) & kHigh); }
inline std::uint64_t SubBytes(std::uint64_t a, std::uint64_t b) { return ((a | kHigh) - (b & kLow7)) ^ ((a ^ ~b) & kHigh); }

// Rotates both 32-bit halves left by s (1..30).
inline std::uint64_t RotateHalvesLeft(std::uint64_t x, int s) {
  const std::uint64_t keepHigh = (0xFFFFFFFFull << s) & 0xFFFFFFFFull;
  const std::uint64_t lowBits = (1ull << s) - 1;
  const std::uint64_t maskA = keepHigh | (keepHigh << 32);
  const std::uint64_t maskB = lowBits | (lowBits << 32);
  return ((x << s) & maskA) | ((x >> (32 - s)) & maskB);
}
inline std::uint64_t RotateHalvesRight(std::uint64_t x, int s) { return RotateHalvesLeft(x, 32 - s); }

inline std::uint64_t LoadLittle(const std::uint8_t* p) {
  std::uint64_t v;
  std::memcpy(&v, p, 8);
  if constexpr (std::endian::native == std::endian::big) v = __builtin_bswap64(v);
  return v;
}
inline void StoreLittle(std::uint8_t* p, std::uint64_t v) {
  if constexpr (std::endian::native == std::endian::big) v = __builtin_bswap64(v);
  std::memcpy(p, &v, 8);
}

std::array<std::uint8_t, 64> MakeBaseTable() {
  std::array<std::uint8_t, 64> t{};
  for (int j = 0; j < 8; ++j) {
    for (int i = 0; i < 8; ++i) {
      const double v = 241.0 * (std::cos(0.349 * i) + std::sin(0.349 * j));
      t[8 * j + i] = static_cast<std::uint8_t>(static_cast<int>(v) & 0xFF);
    }
  }
  return t;
}

}  // namespace

const std::array<std::uint8_t, 64>& KeySchedule::BaseTable() {
  static const std::array<std::uint8_t, 64> table = MakeBaseTable();
  return table;
}

KeySchedule::KeySchedule(std::string_view key) {
  table_ = BaseTable();
  const std::size_t len = key.size();
  for (int r = 0; r < 8; ++r) {
    std::uint8_t* row = &table_[8 * r];
    if (len == 0) continue;
    if (len <= 8) {
      for (std::size_t c = 0; c < 8; ++c) row[c] = static_cast<std::uint8_t>(row[c] + static_cast<std::uint8_t>(key[c % len]));
    } else {
      for (std::size_t k = 0; k < len; ++k) row[k % 8] = static_cast<std::uint8_t>(row[k % 8] + static_cast<std::uint8_t>(key[k]));
    }
  }
  int pos = 0;
  for (int r = 0; r < 8; ++r) {
    std::uint8_t* row = &table_[8 * r];
    for (int c = 0; c < 8; ++c) {
      pos = row[pos] & 7;
      std::swap(row[c], row[pos]);
    }
  }
  rotation_ = table_[pos] & 31;
  if (rotation_ == 0) rotation_ = 11;
  if (rotation_ == 31) rotation_ = 13;
  for (int off = 0; off < 32; ++off) {
    windows_[off] = LoadLittle(&table_[off]);
    next_[off] = static_cast<std::uint8_t>(table_[off] & 31);
  }
}

std::size_t TransformedBlockCount(std::size_t n) {
  if (n < 8) return 0;
  const std::size_t blocks = (n + 7) / 8 - 1;
  return blocks < 1 ? 1 : blocks;
}

void KeyedBlockTransform(std::uint8_t* buffer, std::size_t n, const KeySchedule& schedule, bool encode) {
  const std::size_t m = TransformedBlockCount(n);
  const int s = schedule.Rotation();
  int off = 1;
  std::uint8_t* p = buffer;
  if (encode) {
    for (std::size_t b = 0; b < m; ++b, p += 8) {
      const std::uint64_t w = schedule.Window(off);
      StoreLittle(p, RotateHalvesLeft(AddBytes(LoadLittle(p), w), s) ^ w);
      off = schedule.NextOffset(off);
    }
  } else {
    for (std::size_t b = 0; b < m; ++b, p += 8) {
      const std::uint64_t w = schedule.Window(off);
      StoreLittle(p, SubBytes(RotateHalvesRight(LoadLittle(p) ^ w, s), w));
      off = schedule.NextOffset(off);
    }
  }
}

void KeyedBlockTransform(std::uint8_t* buffer, std::size_t n, std::string_view key, bool encode) {
  if (n < 8) return;
  KeyedBlockTransform(buffer, n, KeySchedule(key), encode);
}
