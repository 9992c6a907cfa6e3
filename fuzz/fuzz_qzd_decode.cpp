// Any file offered as an encoded launcher file: decoding and checking it never reads or writes
// out of bounds, and whatever it accepts has a sound layout.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "launcher/encoded_image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  // First byte: key length; then the key; the rest is the file.
  const std::size_t keyLength = data[0] % 32;
  if (size < 1 + keyLength) return 0;
  const std::string_view key(reinterpret_cast<const char*>(data + 1), keyLength);
  std::vector<std::uint8_t> bytes(data + 1 + keyLength, data + size);
  const std::size_t n = bytes.size();
  DecodedImage decoded;
  if (OpenEncodedImage(bytes, KeySchedule(key), decoded)) {
    if (decoded.contentSize + decoded.path.size() + kEncodedTrailerSize != n) std::abort();
    if (decoded.path.size() > kMaxStoredPathLength) std::abort();
  }
  return 0;
}
