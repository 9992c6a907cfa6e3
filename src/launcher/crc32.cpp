#include "launcher/crc32.h"

#include <array>
#include <cstring>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define VELTA_CRC32_FOLDING 1
#include <immintrin.h>
#else
#define VELTA_CRC32_FOLDING 0
#endif

namespace {

// Slicing by 8: table k gives the effect of a byte followed by k zero bytes.
struct Crc32Tables {
  std::array<std::array<std::uint32_t, 256>, 8> t{};
  constexpr Crc32Tables() {
    for (std::uint32_t i = 0; i < 256; ++i) {
      std::uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[0][i] = c;
    }
    for (std::uint32_t i = 0; i < 256; ++i)
      for (int k = 1; k < 8; ++k) t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF];
  }
};

constexpr Crc32Tables kTables;

std::uint32_t UpdateByTable(std::uint32_t crc, const std::uint8_t* p, std::size_t size) {
  const auto& t = kTables.t;
  while (size >= 8) {
    const std::uint32_t lo = crc ^ (std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
                                    std::uint32_t(p[3]) << 24);
    const std::uint32_t hi = std::uint32_t(p[4]) | std::uint32_t(p[5]) << 8 | std::uint32_t(p[6]) << 16 |
                             std::uint32_t(p[7]) << 24;
    crc = t[7][lo & 0xFF] ^ t[6][(lo >> 8) & 0xFF] ^ t[5][(lo >> 16) & 0xFF] ^ t[4][lo >> 24] ^
          t[3][hi & 0xFF] ^ t[2][(hi >> 8) & 0xFF] ^ t[1][(hi >> 16) & 0xFF] ^ t[0][hi >> 24];
    p += 8;
    size -= 8;
  }
  while (size-- > 0) crc = t[0][(crc ^ *p++) & 0xFF] ^ (crc >> 8);
  return crc;
}

#if VELTA_CRC32_FOLDING

// Folding with carry-less multiplication ("Fast CRC Computation for Generic Polynomials Using
// PCLMULQDQ", Intel 2009), in the bit-reflected domain of this polynomial: four 128-bit lanes
// are folded 64 bytes ahead at a time, then into one lane, then down to 32 bits by Barrett
// reduction. Constants are x^k mod P for the distances folded over, and P and its quotient.
constexpr std::size_t kFoldingMinimum = 64;

// x moved 128 bits further on (k = x^(128+32), x^(128-32)) and added to the next 16 bytes.
__attribute__((target("pclmul,sse4.1"))) inline __m128i Fold16(__m128i x, __m128i next, __m128i k) {
  const __m128i lo = _mm_clmulepi64_si128(x, k, 0x00);
  return _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(x, k, 0x11), lo), next);
}

__attribute__((target("pclmul,sse4.1"))) std::uint32_t FoldBlocks(std::uint32_t crc, const std::uint8_t* p,
                                                                 std::size_t size) {
  // size >= 64 and a multiple of 16.
  const __m128i k1k2 = _mm_set_epi64x(0x01c6e41596, 0x0154442bd4);  // x^(512+32), x^(512-32)
  const __m128i k3k4 = _mm_set_epi64x(0x00ccaa009e, 0x01751997d0);  // x^(128+32), x^(128-32)
  const __m128i k5 = _mm_set_epi64x(0, 0x0163cd6124);               // x^64
  const __m128i poly = _mm_set_epi64x(0x01f7011641, 0x01db710641);  // quotient, P
  const __m128i low32 = _mm_setr_epi32(~0, 0, ~0, 0);

  __m128i x1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 0x00));
  __m128i x2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 0x10));
  __m128i x3 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 0x20));
  __m128i x4 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 0x30));
  x1 = _mm_xor_si128(x1, _mm_cvtsi32_si128(static_cast<int>(crc)));
  p += 64;
  size -= 64;

  while (size >= 64) {
    const __m128i y1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 0x00));
    const __m128i y2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 0x10));
    const __m128i y3 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 0x20));
    const __m128i y4 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 0x30));
    const __m128i l1 = _mm_clmulepi64_si128(x1, k1k2, 0x00);
    const __m128i l2 = _mm_clmulepi64_si128(x2, k1k2, 0x00);
    const __m128i l3 = _mm_clmulepi64_si128(x3, k1k2, 0x00);
    const __m128i l4 = _mm_clmulepi64_si128(x4, k1k2, 0x00);
    x1 = _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(x1, k1k2, 0x11), l1), y1);
    x2 = _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(x2, k1k2, 0x11), l2), y2);
    x3 = _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(x3, k1k2, 0x11), l3), y3);
    x4 = _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(x4, k1k2, 0x11), l4), y4);
    p += 64;
    size -= 64;
  }

  // Four lanes into one, then the remaining 16-byte blocks.
  x1 = Fold16(x1, x2, k3k4);
  x1 = Fold16(x1, x3, k3k4);
  x1 = Fold16(x1, x4, k3k4);
  for (; size >= 16; p += 16, size -= 16) x1 = Fold16(x1, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), k3k4);

  // 128 bits to 64.
  x2 = _mm_clmulepi64_si128(x1, k3k4, 0x10);
  x1 = _mm_xor_si128(_mm_srli_si128(x1, 8), x2);
  x2 = _mm_srli_si128(x1, 4);
  x1 = _mm_and_si128(x1, low32);
  x1 = _mm_xor_si128(_mm_clmulepi64_si128(x1, k5, 0x00), x2);

  // Barrett reduction to 32 bits.
  x2 = _mm_and_si128(x1, low32);
  x2 = _mm_clmulepi64_si128(x2, poly, 0x10);
  x2 = _mm_and_si128(x2, low32);
  x2 = _mm_clmulepi64_si128(x2, poly, 0x00);
  x1 = _mm_xor_si128(x1, x2);
  return static_cast<std::uint32_t>(_mm_extract_epi32(x1, 1));
}

std::uint32_t UpdateByFolding(std::uint32_t crc, const std::uint8_t* p, std::size_t size) {
  if (size >= kFoldingMinimum) {
    const std::size_t folded = size & ~std::size_t{15};
    crc = FoldBlocks(crc, p, folded);
    p += folded;
    size -= folded;
  }
  return UpdateByTable(crc, p, size);
}

bool ProcessorCanFold() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
}

#endif

}  // namespace

bool Crc32MethodAvailable(Crc32Method method) {
  if (method == Crc32Method::kTable) return true;
#if VELTA_CRC32_FOLDING
  static const bool canFold = ProcessorCanFold();
  return canFold;
#else
  return false;
#endif
}

std::uint32_t Crc32UpdateWith(Crc32Method method, std::uint32_t running, const void* data, std::size_t size) {
  const auto* p = static_cast<const std::uint8_t*>(data);
#if VELTA_CRC32_FOLDING
  if (method == Crc32Method::kCarrylessFolding && Crc32MethodAvailable(method)) return UpdateByFolding(running, p, size);
#else
  (void)method;
#endif
  return UpdateByTable(running, p, size);
}

std::uint32_t Crc32Update(std::uint32_t running, const void* data, std::size_t size) {
  static const Crc32Method best =
      Crc32MethodAvailable(Crc32Method::kCarrylessFolding) ? Crc32Method::kCarrylessFolding : Crc32Method::kTable;
  return Crc32UpdateWith(best, running, data, size);
}
