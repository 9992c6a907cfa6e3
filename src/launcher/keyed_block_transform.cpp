#include "launcher/keyed_block_transform.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <utility>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define VELTA_TRANSFORM_VECTORS 1
#include <immintrin.h>
#else
#define VELTA_TRANSFORM_VECTORS 0
#endif

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
  // Follow the offsets from block 0 until one comes again: that closes the period.
  std::array<int, 32> firstBlock;
  firstBlock.fill(-1);
  std::array<int, 32> offsets{};
  int off = 1;
  for (int block = 0;; ++block) {
    if (firstBlock[off] >= 0) {
      lead_ = firstBlock[off];
      period_ = block - lead_;
      break;
    }
    firstBlock[off] = block;
    offsets[block] = off;
    off = next_[off];
  }
  for (std::size_t block = 0; block < laid_.size(); ++block) laid_[block] = windows_[offsets[WindowIndex(block)]];
}

std::size_t KeySchedule::WindowIndex(std::uint64_t block) const {
  const auto lead = static_cast<std::uint64_t>(lead_);
  if (block < lead) return static_cast<std::size_t>(block);
  return static_cast<std::size_t>(lead + (block - lead) % static_cast<std::uint64_t>(period_));
}

std::size_t KeySchedule::AdvanceIndex(std::size_t index, std::uint64_t blocks) const {
  return WindowIndex(static_cast<std::uint64_t>(index) + blocks);
}

std::uint64_t TransformedBlockCount(std::uint64_t n) {
  if (n < 8) return 0;
  const std::uint64_t blocks = (n + 7) / 8 - 1;
  return blocks < 1 ? 1 : blocks;
}

namespace {

// Every method takes the blocks 32 at a time (256 bytes), reading their windows from the laid-out
// windows at index, which stays below lead + period, so the 32 entries from it are always there.
constexpr std::size_t kRunBlocks = 32;

template <bool kEncode>
inline void WordBlocks(std::uint8_t* p, std::size_t count, const std::uint64_t* w, int s) {
  for (std::size_t b = 0; b < count; ++b, p += 8) {
    if constexpr (kEncode) {
      StoreLittle(p, RotateHalvesLeft(AddBytes(LoadLittle(p), w[b]), s) ^ w[b]);
    } else {
      StoreLittle(p, SubBytes(RotateHalvesRight(LoadLittle(p) ^ w[b], s), w[b]));
    }
  }
}

template <bool kEncode>
void TransformWords(std::uint8_t* p, std::size_t count, std::size_t index, const KeySchedule& schedule) {
  const std::uint64_t* laid = schedule.LaidWindows();
  const int s = schedule.Rotation();
  for (; count >= kRunBlocks; count -= kRunBlocks, p += 8 * kRunBlocks) {
    WordBlocks<kEncode>(p, kRunBlocks, laid + index, s);
    index = schedule.AdvanceIndex(index, kRunBlocks);
  }
  WordBlocks<kEncode>(p, count, laid + index, s);
}

#if VELTA_TRANSFORM_VECTORS

// Two blocks per 128-bit vector: bytes added or subtracted lane by lane, each 32-bit half rotated.
template <bool kEncode>
inline __m128i Sse2Block(__m128i v, __m128i w, __m128i left, __m128i right) {
  if constexpr (kEncode) {
    v = _mm_add_epi8(v, w);
    v = _mm_or_si128(_mm_sll_epi32(v, left), _mm_srl_epi32(v, right));
    return _mm_xor_si128(v, w);
  } else {
    v = _mm_xor_si128(v, w);
    v = _mm_or_si128(_mm_srl_epi32(v, left), _mm_sll_epi32(v, right));
    return _mm_sub_epi8(v, w);
  }
}

template <bool kEncode>
void TransformSse2(std::uint8_t* p, std::size_t count, std::size_t index, const KeySchedule& schedule) {
  const std::uint64_t* laid = schedule.LaidWindows();
  const __m128i left = _mm_cvtsi32_si128(schedule.Rotation());
  const __m128i right = _mm_cvtsi32_si128(32 - schedule.Rotation());
  auto pairs = [&](std::uint8_t* q, std::size_t n, const std::uint64_t* w) {
    for (std::size_t i = 0; i + 2 <= n; i += 2) {
      auto* at = reinterpret_cast<__m128i*>(q + 8 * i);
      const __m128i win = _mm_loadu_si128(reinterpret_cast<const __m128i*>(w + i));
      _mm_storeu_si128(at, Sse2Block<kEncode>(_mm_loadu_si128(at), win, left, right));
    }
  };
  for (; count >= kRunBlocks; count -= kRunBlocks, p += 8 * kRunBlocks) {
    pairs(p, kRunBlocks, laid + index);
    index = schedule.AdvanceIndex(index, kRunBlocks);
  }
  pairs(p, count, laid + index);
  const std::size_t done = count & ~std::size_t{1};
  WordBlocks<kEncode>(p + 8 * done, count - done, laid + index + done, schedule.Rotation());
}

// Four blocks per 256-bit vector.
template <bool kEncode>
__attribute__((target("avx2"))) inline __m256i Avx2Block(__m256i v, __m256i w, __m128i left, __m128i right) {
  if constexpr (kEncode) {
    v = _mm256_add_epi8(v, w);
    v = _mm256_or_si256(_mm256_sll_epi32(v, left), _mm256_srl_epi32(v, right));
    return _mm256_xor_si256(v, w);
  } else {
    v = _mm256_xor_si256(v, w);
    v = _mm256_or_si256(_mm256_srl_epi32(v, left), _mm256_sll_epi32(v, right));
    return _mm256_sub_epi8(v, w);
  }
}

template <bool kEncode>
__attribute__((target("avx2"))) void Avx2Quads(std::uint8_t* q, std::size_t n, const std::uint64_t* w, __m128i left,
                                               __m128i right) {
  for (std::size_t i = 0; i + 4 <= n; i += 4) {
    auto* at = reinterpret_cast<__m256i*>(q + 8 * i);
    const __m256i win = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(w + i));
    _mm256_storeu_si256(at, Avx2Block<kEncode>(_mm256_loadu_si256(at), win, left, right));
  }
}

template <bool kEncode>
__attribute__((target("avx2"))) void TransformAvx2(std::uint8_t* p, std::size_t count, std::size_t index,
                                                   const KeySchedule& schedule) {
  const std::uint64_t* laid = schedule.LaidWindows();
  const __m128i left = _mm_cvtsi32_si128(schedule.Rotation());
  const __m128i right = _mm_cvtsi32_si128(32 - schedule.Rotation());
  for (; count >= kRunBlocks; count -= kRunBlocks, p += 8 * kRunBlocks) {
    Avx2Quads<kEncode>(p, kRunBlocks, laid + index, left, right);
    index = schedule.AdvanceIndex(index, kRunBlocks);
  }
  Avx2Quads<kEncode>(p, count, laid + index, left, right);
  const std::size_t done = count & ~std::size_t{3};
  WordBlocks<kEncode>(p + 8 * done, count - done, laid + index + done, schedule.Rotation());
}

bool ProcessorHasAvx2() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2");
}

#endif

KeyedTransformMethod BestMethod() {
  if (KeyedTransformMethodAvailable(KeyedTransformMethod::kAvx2)) return KeyedTransformMethod::kAvx2;
  if (KeyedTransformMethodAvailable(KeyedTransformMethod::kSse2)) return KeyedTransformMethod::kSse2;
  return KeyedTransformMethod::kWords;
}

}  // namespace

bool KeyedTransformMethodAvailable(KeyedTransformMethod method) {
  if (method == KeyedTransformMethod::kWords) return true;
#if VELTA_TRANSFORM_VECTORS
  if (method == KeyedTransformMethod::kSse2) return true;
  static const bool hasAvx2 = ProcessorHasAvx2();
  return hasAvx2;
#else
  return false;
#endif
}

void KeyedBlockTransformBlocksWith(KeyedTransformMethod method, std::uint8_t* blocks, std::size_t count,
                                   std::uint64_t first, const KeySchedule& schedule, bool encode) {
  const std::size_t index = schedule.WindowIndex(first);
  if (!KeyedTransformMethodAvailable(method)) method = KeyedTransformMethod::kWords;
  switch (method) {
#if VELTA_TRANSFORM_VECTORS
    case KeyedTransformMethod::kAvx2:
      return encode ? TransformAvx2<true>(blocks, count, index, schedule)
                    : TransformAvx2<false>(blocks, count, index, schedule);
    case KeyedTransformMethod::kSse2:
      return encode ? TransformSse2<true>(blocks, count, index, schedule)
                    : TransformSse2<false>(blocks, count, index, schedule);
#endif
    default:
      return encode ? TransformWords<true>(blocks, count, index, schedule)
                    : TransformWords<false>(blocks, count, index, schedule);
  }
}

void KeyedBlockTransformBlocks(std::uint8_t* blocks, std::size_t count, std::uint64_t first,
                               const KeySchedule& schedule, bool encode) {
  static const KeyedTransformMethod best = BestMethod();
  KeyedBlockTransformBlocksWith(best, blocks, count, first, schedule, encode);
}

std::size_t KeyedBlockTransformChunk(std::uint8_t* chunk, std::size_t size, std::uint64_t offset, std::uint64_t total,
                                     const KeySchedule& schedule, bool encode) {
  const std::uint64_t transformedEnd = 8 * TransformedBlockCount(total);
  const std::uint64_t end = offset + size;
  if (offset < transformedEnd) {
    if (offset % 8 != 0) return 0;  // inside a block whose first bytes went by already
    const std::uint64_t stop = std::min(end, transformedEnd);
    KeyedBlockTransformBlocks(chunk, static_cast<std::size_t>((stop - offset) / 8), offset / 8, schedule, encode);
  }
  return end >= transformedEnd ? size : size - size % 8;
}

void KeyedBlockTransform(std::uint8_t* buffer, std::size_t n, const KeySchedule& schedule, bool encode) {
  KeyedBlockTransformBlocks(buffer, static_cast<std::size_t>(TransformedBlockCount(n)), 0, schedule, encode);
}

void KeyedBlockTransform(std::uint8_t* buffer, std::size_t n, std::string_view key, bool encode) {
  if (n < 8) return;
  KeyedBlockTransform(buffer, n, KeySchedule(key), encode);
}
