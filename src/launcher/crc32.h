// CRC-32 (reflected polynomial 0xEDB88320, as in zlib): names the encoded launcher files.
#pragma once

#include <cstddef>
#include <cstdint>

// Feeds bytes into a running CRC register (start with 0xFFFFFFFF, invert at the end). Feeding
// consecutive chunks one after the other gives the same register as feeding them at once.
std::uint32_t Crc32Update(std::uint32_t running, const void* data, std::size_t size);

// CRC-32 of a whole buffer (initial value and final inversion applied).
inline std::uint32_t Crc32(const void* data, std::size_t size) { return ~Crc32Update(0xFFFFFFFFu, data, size); }

// The ways Crc32Update can work; it takes the fastest one this processor has. Named so that
// tests and benchmarks can hold each one against the others.
enum class Crc32Method {
  kTable,            // slicing by 8, any processor
  kCarrylessFolding  // 64-byte folding with carry-less multiplication (x86-64 with PCLMULQDQ and SSE4.1)
};
bool Crc32MethodAvailable(Crc32Method method);
// Crc32Update with the given method; an unavailable method falls back to the table.
std::uint32_t Crc32UpdateWith(Crc32Method method, std::uint32_t running, const void* data, std::size_t size);
