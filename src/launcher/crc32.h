// CRC-32 (reflected polynomial 0xEDB88320, as in zlib): names the encoded launcher files.
#pragma once

#include <cstddef>
#include <cstdint>

// Feeds bytes into a running CRC register (start with 0xFFFFFFFF, invert at the end).
std::uint32_t Crc32Update(std::uint32_t running, const void* data, std::size_t size);

// CRC-32 of a whole buffer (initial value and final inversion applied).
inline std::uint32_t Crc32(const void* data, std::size_t size) { return ~Crc32Update(0xFFFFFFFFu, data, size); }
