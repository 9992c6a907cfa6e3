#include "launcher/md5.h"

#include <bit>
#include <cstring>

namespace {

inline std::uint32_t Rotl(std::uint32_t x, int c) { return (x << c) | (x >> (32 - c)); }

inline std::uint32_t Word(const std::uint8_t* p) {
  std::uint32_t v;
  std::memcpy(&v, p, 4);
  if constexpr (std::endian::native == std::endian::big) v = __builtin_bswap32(v);
  return v;
}

// One step each of the four rounds, written so that the newest value (b) enters as late as
// possible: the message word, the constant and whatever depends only on older values are
// added first. G is (b AND d) OR (c AND NOT d), whose two halves share no bit, so it is added
// as two terms and c AND NOT d goes in before b is known.
#define MD5_F(a, b, c, d, k, t, s)           \
  a += Word(p + 4 * (k)) + (t);              \
  a += (d) ^ ((b) & ((c) ^ (d)));            \
  a = Rotl(a, s) + (b);
#define MD5_G(a, b, c, d, k, t, s)           \
  a += Word(p + 4 * (k)) + (t) + ((c) & ~(d)); \
  a += (b) & (d);                            \
  a = Rotl(a, s) + (b);
#define MD5_H(a, b, c, d, k, t, s)           \
  a += Word(p + 4 * (k)) + (t);              \
  a += (b) ^ ((c) ^ (d));                    \
  a = Rotl(a, s) + (b);
#define MD5_I(a, b, c, d, k, t, s)           \
  a += Word(p + 4 * (k)) + (t);              \
  a += (c) ^ ((b) | ~(d));                   \
  a = Rotl(a, s) + (b);

// Compresses count 64-byte blocks into state, reading the words straight from the input.
void Compress(std::uint32_t* state, const std::uint8_t* p, std::size_t count) {
  std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
  for (; count > 0; --count, p += 64) {
    const std::uint32_t a0 = a, b0 = b, c0 = c, d0 = d;
    MD5_F(a, b, c, d, 0, 0xd76aa478, 7)
    MD5_F(d, a, b, c, 1, 0xe8c7b756, 12)
    MD5_F(c, d, a, b, 2, 0x242070db, 17)
    MD5_F(b, c, d, a, 3, 0xc1bdceee, 22)
    MD5_F(a, b, c, d, 4, 0xf57c0faf, 7)
    MD5_F(d, a, b, c, 5, 0x4787c62a, 12)
    MD5_F(c, d, a, b, 6, 0xa8304613, 17)
    MD5_F(b, c, d, a, 7, 0xfd469501, 22)
    MD5_F(a, b, c, d, 8, 0x698098d8, 7)
    MD5_F(d, a, b, c, 9, 0x8b44f7af, 12)
    MD5_F(c, d, a, b, 10, 0xffff5bb1, 17)
    MD5_F(b, c, d, a, 11, 0x895cd7be, 22)
    MD5_F(a, b, c, d, 12, 0x6b901122, 7)
    MD5_F(d, a, b, c, 13, 0xfd987193, 12)
    MD5_F(c, d, a, b, 14, 0xa679438e, 17)
    MD5_F(b, c, d, a, 15, 0x49b40821, 22)

    MD5_G(a, b, c, d, 1, 0xf61e2562, 5)
    MD5_G(d, a, b, c, 6, 0xc040b340, 9)
    MD5_G(c, d, a, b, 11, 0x265e5a51, 14)
    MD5_G(b, c, d, a, 0, 0xe9b6c7aa, 20)
    MD5_G(a, b, c, d, 5, 0xd62f105d, 5)
    MD5_G(d, a, b, c, 10, 0x02441453, 9)
    MD5_G(c, d, a, b, 15, 0xd8a1e681, 14)
    MD5_G(b, c, d, a, 4, 0xe7d3fbc8, 20)
    MD5_G(a, b, c, d, 9, 0x21e1cde6, 5)
    MD5_G(d, a, b, c, 14, 0xc33707d6, 9)
    MD5_G(c, d, a, b, 3, 0xf4d50d87, 14)
    MD5_G(b, c, d, a, 8, 0x455a14ed, 20)
    MD5_G(a, b, c, d, 13, 0xa9e3e905, 5)
    MD5_G(d, a, b, c, 2, 0xfcefa3f8, 9)
    MD5_G(c, d, a, b, 7, 0x676f02d9, 14)
    MD5_G(b, c, d, a, 12, 0x8d2a4c8a, 20)

    MD5_H(a, b, c, d, 5, 0xfffa3942, 4)
    MD5_H(d, a, b, c, 8, 0x8771f681, 11)
    MD5_H(c, d, a, b, 11, 0x6d9d6122, 16)
    MD5_H(b, c, d, a, 14, 0xfde5380c, 23)
    MD5_H(a, b, c, d, 1, 0xa4beea44, 4)
    MD5_H(d, a, b, c, 4, 0x4bdecfa9, 11)
    MD5_H(c, d, a, b, 7, 0xf6bb4b60, 16)
    MD5_H(b, c, d, a, 10, 0xbebfbc70, 23)
    MD5_H(a, b, c, d, 13, 0x289b7ec6, 4)
    MD5_H(d, a, b, c, 0, 0xeaa127fa, 11)
    MD5_H(c, d, a, b, 3, 0xd4ef3085, 16)
    MD5_H(b, c, d, a, 6, 0x04881d05, 23)
    MD5_H(a, b, c, d, 9, 0xd9d4d039, 4)
    MD5_H(d, a, b, c, 12, 0xe6db99e5, 11)
    MD5_H(c, d, a, b, 15, 0x1fa27cf8, 16)
    MD5_H(b, c, d, a, 2, 0xc4ac5665, 23)

    MD5_I(a, b, c, d, 0, 0xf4292244, 6)
    MD5_I(d, a, b, c, 7, 0x432aff97, 10)
    MD5_I(c, d, a, b, 14, 0xab9423a7, 15)
    MD5_I(b, c, d, a, 5, 0xfc93a039, 21)
    MD5_I(a, b, c, d, 12, 0x655b59c3, 6)
    MD5_I(d, a, b, c, 3, 0x8f0ccc92, 10)
    MD5_I(c, d, a, b, 10, 0xffeff47d, 15)
    MD5_I(b, c, d, a, 1, 0x85845dd1, 21)
    MD5_I(a, b, c, d, 8, 0x6fa87e4f, 6)
    MD5_I(d, a, b, c, 15, 0xfe2ce6e0, 10)
    MD5_I(c, d, a, b, 6, 0xa3014314, 15)
    MD5_I(b, c, d, a, 13, 0x4e0811a1, 21)
    MD5_I(a, b, c, d, 4, 0xf7537e82, 6)
    MD5_I(d, a, b, c, 11, 0xbd3af235, 10)
    MD5_I(c, d, a, b, 2, 0x2ad7d2bb, 15)
    MD5_I(b, c, d, a, 9, 0xeb86d391, 21)

    a += a0;
    b += b0;
    c += c0;
    d += d0;
  }
  state[0] = a;
  state[1] = b;
  state[2] = c;
  state[3] = d;
}

#undef MD5_F
#undef MD5_G
#undef MD5_H
#undef MD5_I

}  // namespace

Md5::Md5() : state_{0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476} {}

void Md5::Update(const void* data, std::size_t size) {
  if (size == 0) return;  // data may then be null (an empty chunk)
  const auto* p = static_cast<const std::uint8_t*>(data);
  length_ += size;
  if (pendingSize_ > 0) {
    const std::size_t take = size < 64 - pendingSize_ ? size : 64 - pendingSize_;
    std::memcpy(pending_ + pendingSize_, p, take);
    pendingSize_ += take;
    p += take;
    size -= take;
    if (pendingSize_ < 64) return;
    Compress(state_, pending_, 1);
    pendingSize_ = 0;
  }
  Compress(state_, p, size / 64);
  p += size - size % 64;
  size %= 64;
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
