// Any file offered as an encoded launcher file, decoded as the program does it (from its end
// first, then the content in chunks): nothing reads or writes out of bounds, whatever is
// accepted has a sound layout and restores exactly its stated length, and whatever is refused
// leaves no file behind.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "launcher/encoded_image.h"
#include "launcher/file_encoding.h"
#include "storage/memory_file_access.h"

namespace {
void Check(bool condition) {
  if (!condition) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  // First byte: key length; then the key; the rest is the file.
  const std::size_t keyLength = data[0] % 32;
  if (size < 1 + keyLength) return 0;
  const std::string_view key(reinterpret_cast<const char*>(data + 1), keyLength);
  const std::string file(reinterpret_cast<const char*>(data + 1 + keyLength), size - 1 - keyLength);
  MemoryFileAccess files;
  files.Put("/in.QZD", file);
  EncodedFileInfo info;
  const bool accepted = InspectEncodedFile("/in.QZD", key, info, true, files).ok();
  if (accepted) {
    Check(info.contentLength + info.storedSize + kEncodedTrailerSize == file.size());
    Check(info.storedSize <= (info.storedAsUtf8 ? kMaxStoredUtf8PathLength : kMaxStoredPathLength));
  }
  DecodeOptions options;
  options.to = "/out";
  const EncodedFileOutcome decoded = DecodeEncodedFile("/in.QZD", key, options, files);
  Check(decoded.ok() == accepted);
  if (accepted) Check(files.Get("/out").size() == info.contentLength);
  Check(files.Names().size() == (accepted ? 2u : 1u));
  return 0;
}
