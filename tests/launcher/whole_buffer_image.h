// The encoded file as earlier builds made it, whole in memory: the reference that the
// streaming encoder and decoder must agree with byte for byte.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "launcher/encoded_image.h"
#include "launcher/keyed_block_transform.h"
#include "launcher/md5.h"

// Appends path and trailer to content and encodes the whole image in place.
inline void BuildEncodedImage(std::vector<std::uint8_t>& content, std::string_view path, const KeySchedule& key) {
  const std::string digest = Md5Hex(content.data(), content.size());
  const auto a = static_cast<std::uint32_t>(path.size());
  content.insert(content.end(), path.begin(), path.end());
  for (int i = 0; i < 4; ++i) content.push_back(static_cast<std::uint8_t>(a >> (8 * i)));
  content.insert(content.end(), digest.begin(), digest.end());
  KeyedBlockTransform(content.data(), content.size(), key, true);
}

struct DecodedImage {
  std::size_t contentSize = 0;  // the content is the first contentSize bytes of the decoded buffer
  std::string path;
  std::string digest;
};

// Decodes bytes in place and checks them as earlier builds did.
inline bool OpenEncodedImage(std::vector<std::uint8_t>& bytes, const KeySchedule& key, DecodedImage& out) {
  const std::size_t n = bytes.size();
  if (n < kEncodedTrailerSize) return false;
  KeyedBlockTransform(bytes.data(), n, key, false);
  const std::uint8_t* lengthWord = bytes.data() + n - kEncodedTrailerSize;
  const std::uint32_t a = std::uint32_t(lengthWord[0]) | std::uint32_t(lengthWord[1]) << 8 |
                          std::uint32_t(lengthWord[2]) << 16 | std::uint32_t(lengthWord[3]) << 24;
  if (a > kMaxStoredPathLength || a > n - kEncodedTrailerSize) return false;
  const std::size_t contentSize = n - kEncodedTrailerSize - a;
  std::string digest(reinterpret_cast<const char*>(bytes.data() + n - 32), 32);
  if (Md5Hex(bytes.data(), contentSize) != digest) return false;
  std::string path(reinterpret_cast<const char*>(bytes.data() + contentSize), a);
  for (unsigned char c : path) {
    if (c < 0x20 || c == 0x7F) return false;
  }
  out.contentSize = contentSize;
  out.path = std::move(path);
  out.digest = std::move(digest);
  return true;
}
