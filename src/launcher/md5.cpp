#include "launcher/md5.h"

#include <cstring>

namespace {

constexpr std::uint32_t kSine[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391};

inline std::uint32_t Rotl(std::uint32_t x, int c) { return (x << c) | (x >> (32 - c)); }

inline std::uint32_t Word(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

#define MD5_STEP(f, a, b, c, d, x, t, s) \
  a += f(b, c, d) + (x) + (t);           \
  a = Rotl(a, s) + b;

inline std::uint32_t F(std::uint32_t x, std::uint32_t y, std::uint32_t z) { return z ^ (x & (y ^ z)); }
inline std::uint32_t G(std::uint32_t x, std::uint32_t y, std::uint32_t z) { return y ^ (z & (x ^ y)); }
inline std::uint32_t H(std::uint32_t x, std::uint32_t y, std::uint32_t z) { return x ^ y ^ z; }
inline std::uint32_t I(std::uint32_t x, std::uint32_t y, std::uint32_t z) { return y ^ (x | ~z); }

}  // namespace

Md5::Md5() : state_{0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476} {}

void Md5::Block(const std::uint8_t* p) {
  std::uint32_t x[16];
  for (int i = 0; i < 16; ++i) x[i] = Word(p + 4 * i);
  std::uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3];
  static constexpr int kShift[4][4] = {{7, 12, 17, 22}, {5, 9, 14, 20}, {4, 11, 16, 23}, {6, 10, 15, 21}};
  for (int i = 0; i < 16; i += 4) {
    MD5_STEP(F, a, b, c, d, x[i], kSine[i], kShift[0][0])
    MD5_STEP(F, d, a, b, c, x[i + 1], kSine[i + 1], kShift[0][1])
    MD5_STEP(F, c, d, a, b, x[i + 2], kSine[i + 2], kShift[0][2])
    MD5_STEP(F, b, c, d, a, x[i + 3], kSine[i + 3], kShift[0][3])
  }
  for (int i = 0; i < 16; i += 4) {
    MD5_STEP(G, a, b, c, d, x[(5 * i + 1) % 16], kSine[16 + i], kShift[1][0])
    MD5_STEP(G, d, a, b, c, x[(5 * i + 6) % 16], kSine[17 + i], kShift[1][1])
    MD5_STEP(G, c, d, a, b, x[(5 * i + 11) % 16], kSine[18 + i], kShift[1][2])
    MD5_STEP(G, b, c, d, a, x[(5 * i + 16) % 16], kSine[19 + i], kShift[1][3])
  }
  for (int i = 0; i < 16; i += 4) {
    MD5_STEP(H, a, b, c, d, x[(3 * i + 5) % 16], kSine[32 + i], kShift[2][0])
    MD5_STEP(H, d, a, b, c, x[(3 * i + 8) % 16], kSine[33 + i], kShift[2][1])
    MD5_STEP(H, c, d, a, b, x[(3 * i + 11) % 16], kSine[34 + i], kShift[2][2])
    MD5_STEP(H, b, c, d, a, x[(3 * i + 14) % 16], kSine[35 + i], kShift[2][3])
  }
  for (int i = 0; i < 16; i += 4) {
    MD5_STEP(I, a, b, c, d, x[(7 * i) % 16], kSine[48 + i], kShift[3][0])
    MD5_STEP(I, d, a, b, c, x[(7 * i + 7) % 16], kSine[49 + i], kShift[3][1])
    MD5_STEP(I, c, d, a, b, x[(7 * i + 14) % 16], kSine[50 + i], kShift[3][2])
    MD5_STEP(I, b, c, d, a, x[(7 * i + 21) % 16], kSine[51 + i], kShift[3][3])
  }
  state_[0] += a;
  state_[1] += b;
  state_[2] += c;
  state_[3] += d;
}

void Md5::Update(const void* data, std::size_t size) {
  const auto* p = static_cast<const std::uint8_t*>(data);
  length_ += size;
  if (pendingSize_ > 0) {
    const std::size_t take = size < 64 - pendingSize_ ? size : 64 - pendingSize_;
    std::memcpy(pending_ + pendingSize_, p, take);
    pendingSize_ += take;
    p += take;
    size -= take;
    if (pendingSize_ < 64) return;
    Block(pending_);
    pendingSize_ = 0;
  }
  for (; size >= 64; p += 64, size -= 64) Block(p);
  if (size > 0) {
    std::memcpy(pending_, p, size);
    pendingSize_ = size;
  }
}

std::array<std::uint8_t, 16> Md5::Final() {
  const std::uint64_t bits = length_ * 8;
  static const std::uint8_t kPad[64] = {0x80};
  const std::size_t padSize = pendingSize_ < 56 ? 56 - pendingSize_ : 120 - pendingSize_;
  Update(kPad, padSize);
  std::uint8_t tail[8];
  for (int i = 0; i < 8; ++i) tail[i] = static_cast<std::uint8_t>(bits >> (8 * i));
  Update(tail, 8);
  std::array<std::uint8_t, 16> digest{};
  for (int i = 0; i < 4; ++i)
    for (int k = 0; k < 4; ++k) digest[4 * i + k] = static_cast<std::uint8_t>(state_[i] >> (8 * k));
  return digest;
}

std::string HexDigest(const std::array<std::uint8_t, 16>& digest) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text(32, '0');
  for (int i = 0; i < 16; ++i) {
    text[2 * i] = kDigits[digest[i] >> 4];
    text[2 * i + 1] = kDigits[digest[i] & 15];
  }
  return text;
}

std::string Md5Hex(const void* data, std::size_t size) {
  Md5 md5;
  md5.Update(data, size);
  return HexDigest(md5.Final());
}
