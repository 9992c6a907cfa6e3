#include "launcher/encoded_image.h"

#include "win/code_page.h"

std::string BuildEncodedTrailer(std::string_view pathBytes, std::string_view digestHex, bool utf8) {
  const auto a = static_cast<std::uint32_t>(pathBytes.size()) | (utf8 ? kUtf8PathMark : 0u);
  std::string trailer(pathBytes);
  for (int i = 0; i < 4; ++i) trailer.push_back(static_cast<char>(a >> (8 * i)));
  trailer.append(digestHex);
  return trailer;
}

bool ParseEncodedTrailer(const std::uint8_t* tail, std::size_t size, std::uint64_t total, EncodedTrailer& out) {
  if (total < kEncodedTrailerSize || size < kEncodedTrailerSize || size > total) return false;
  const std::uint8_t* lengthWord = tail + size - kEncodedTrailerSize;
  const std::uint32_t word = std::uint32_t(lengthWord[0]) | std::uint32_t(lengthWord[1]) << 8 |
                             std::uint32_t(lengthWord[2]) << 16 | std::uint32_t(lengthWord[3]) << 24;
  const bool utf8 = (word & 0xFFFF0000u) == kUtf8PathMark;
  const std::uint32_t a = utf8 ? word & 0xFFFFu : word;
  const std::size_t most = utf8 ? kMaxStoredUtf8PathLength : kMaxStoredPathLength;
  if (a > kMaxOverLongPathLength || a > total - kEncodedTrailerSize) return false;
  if (a > size - kEncodedTrailerSize) {
    out.tailNeeded = a + kEncodedTrailerSize;
    return false;
  }
  if (utf8 && a == 0) return false;  // a marked path is never empty
  const std::uint8_t* path = lengthWord - a;
  for (std::uint32_t i = 0; i < a; ++i) {
    if (path[i] < 0x20 || path[i] == 0x7F) return false;  // no real path holds these; the file is damaged
  }
  const std::string_view text(reinterpret_cast<const char*>(path), a);
  if (utf8 && !CodePage::IsUtf8(text)) return false;
  out.contentSize = total - kEncodedTrailerSize - a;
  out.path.assign(text);
  out.utf8 = utf8;
  out.overLong = a > most;
  out.digest.assign(reinterpret_cast<const char*>(tail + size - 32), 32);
  return true;
}
