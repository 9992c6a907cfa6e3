// Layout of an encoded launcher file, apart from any file I/O:
//   content (L bytes) | path text (a bytes) | a (uint32 little-endian) | MD5 of content (32 hex digits)
// all passed through KeyedBlockTransform with the user's key.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "launcher/keyed_block_transform.h"

constexpr std::size_t kEncodedTrailerSize = 36;  // path length word + digest text
constexpr std::size_t kMaxStoredPathLength = 259;

// Appends path and trailer to content and encodes the whole image in place.
void BuildEncodedImage(std::vector<std::uint8_t>& content, std::string_view path, const KeySchedule& key);

struct DecodedImage {
  std::size_t contentSize = 0;  // the content is the first contentSize bytes of the decoded buffer
  std::string path;
  std::string digest;  // digest text as stored
};

// Decodes bytes in place and checks them. Fails (false) for fewer than 36 bytes, a stored path
// length that does not fit the file or reaches 260, a path with control characters, or a digest
// that does not match the content — which is what a wrong key produces.
bool OpenEncodedImage(std::vector<std::uint8_t>& bytes, const KeySchedule& key, DecodedImage& out);
