// Layout of an encoded launcher file, apart from any file I/O:
//   content (L bytes) | path text (a bytes) | a (uint32 little-endian) | MD5 of content (32 hex digits)
// all passed through KeyedBlockTransform with the user's key. The content is streamed; the
// part after it (the trailer) is small and built or read here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

constexpr std::size_t kEncodedTrailerSize = 36;  // path length word + digest text
constexpr std::size_t kMaxStoredPathLength = 259;
// The most bytes of a file's end that can hold its path and trailer.
constexpr std::size_t kEncodedTailSize = kMaxStoredPathLength + kEncodedTrailerSize;

// path | length word | digest text, in plain form.
std::string BuildEncodedTrailer(std::string_view path, std::string_view digestHex);

struct EncodedTrailer {
  std::uint64_t contentSize = 0;
  std::string path;
  std::string digest;  // digest text as stored
};

// Reads the trailer of a decoded file of `total` bytes from its last `size` bytes at `tail`
// (size >= min(total, kEncodedTailSize)). Fails for fewer than 36 bytes, a stored path
// length that does not fit the file or reaches 260, or a path with control characters: what
// a wrong key or a foreign file gives (the digest is checked against the content later).
bool ParseEncodedTrailer(const std::uint8_t* tail, std::size_t size, std::uint64_t total, EncodedTrailer& out);
