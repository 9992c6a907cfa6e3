// Layout of an encoded launcher file, apart from any file I/O:
//   content (L bytes) | path text (n bytes) | length word (uint32 little-endian) | MD5 of content (32 hex digits)
// all passed through KeyedBlockTransform with the user's key. The content is streamed; the
// part after it (the trailer) is small and built or read here.
//
// The path is stored in one of two ways:
//   - in the writer's ANSI code page, as every file has always been: the length word is n
//     (at most 259);
//   - as UTF-8, for a path that code page cannot hold: the length word's two upper bytes are
//     'U' '8' (the word is 0x3855'0000 | n, n from 1 to 777), so the word's bytes in the file
//     read n_low n_high 'U' '8'. A reader that knows only the first way takes such a word for
//     a length above 259 and refuses the file as damaged before it writes anything.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

constexpr std::size_t kEncodedTrailerSize = 36;  // path length word + digest text
// The most bytes of a path stored in the code page.
constexpr std::size_t kMaxStoredPathLength = 259;
// The most bytes of a path stored as UTF-8: 259 UTF-16 units, each at most three bytes.
constexpr std::size_t kMaxStoredUtf8PathLength = 3 * 259;
// The length word's upper half that marks a UTF-8 path.
constexpr std::uint32_t kUtf8PathMark = 0x38550000u;
// The most bytes of a file's end that can hold its path and trailer.
constexpr std::size_t kEncodedTailSize = kMaxStoredUtf8PathLength + kEncodedTrailerSize;
// The longest stored path read at all: longer than its limit, it is no path this system can
// write to, but a file that holds one is told apart from a damaged one by its digest.
constexpr std::size_t kMaxOverLongPathLength = 0xFFFF;

// path | length word | digest text, in plain form; utf8: the path's bytes are UTF-8 (marked).
std::string BuildEncodedTrailer(std::string_view pathBytes, std::string_view digestHex, bool utf8 = false);

struct EncodedTrailer {
  std::uint64_t contentSize = 0;
  std::string path;   // the path's bytes as stored
  bool utf8 = false;  // stored as UTF-8 (marked); otherwise in the writer's code page
  std::string digest;  // digest text as stored
  bool overLong = false;  // the path is longer than its limit (a crafted file, or one no build could restore)
  std::size_t tailNeeded = 0;  // when parsing failed for a tail too short to hold an over-long path: the size that would
};

// Reads the trailer of a decoded file of `total` bytes from its last `size` bytes at `tail`
// (size >= min(total, kEncodedTailSize)). Fails for fewer than 36 bytes, a stored path
// length that does not fit the file or is above its limit, a path with control characters,
// a marked path that is empty or not well-formed UTF-8: what a wrong key or a damaged or
// foreign file gives (the digest is checked against the content later). A path above its
// limit but at most kMaxOverLongPathLength bytes is read with overLong set (or, when the
// tail does not reach back to its start, tailNeeded says how much would); only the digest can
// then tell such a file from a damaged one.
bool ParseEncodedTrailer(const std::uint8_t* tail, std::size_t size, std::uint64_t total, EncodedTrailer& out);
