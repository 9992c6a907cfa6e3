#include "launcher/encoded_image.h"

std::string BuildEncodedTrailer(std::string_view path, std::string_view digestHex) {
  const auto a = static_cast<std::uint32_t>(path.size());
  std::string trailer(path);
  for (int i = 0; i < 4; ++i) trailer.push_back(static_cast<char>(a >> (8 * i)));
  trailer.append(digestHex);
  return trailer;
}

bool ParseEncodedTrailer(const std::uint8_t* tail, std::size_t size, std::uint64_t total, EncodedTrailer& out) {
  if (total < kEncodedTrailerSize || size < kEncodedTrailerSize || size > total) return false;
  const std::uint8_t* lengthWord = tail + size - kEncodedTrailerSize;
  const std::uint32_t a = std::uint32_t(lengthWord[0]) | std::uint32_t(lengthWord[1]) << 8 |
                          std::uint32_t(lengthWord[2]) << 16 | std::uint32_t(lengthWord[3]) << 24;
  if (a > kMaxStoredPathLength || a > total - kEncodedTrailerSize || a > size - kEncodedTrailerSize) return false;
  const std::uint8_t* path = lengthWord - a;
  for (std::uint32_t i = 0; i < a; ++i) {
    if (path[i] < 0x20 || path[i] == 0x7F) return false;  // no real path holds these; the file is damaged
  }
  out.contentSize = total - kEncodedTrailerSize - a;
  out.path.assign(reinterpret_cast<const char*>(path), a);
  out.digest.assign(reinterpret_cast<const char*>(tail + size - 32), 32);
  return true;
}
