#include "launcher/file_encoding.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "launcher/crc32.h"
#include "launcher/encoded_image.h"

namespace {

// Writes data to a temporary name beside target and moves it into place; on failure nothing
// at target changes and the temporary file is gone. `check` (optional) vets the written copy.
template <typename Check>
bool WriteReplacing(EncodedFileAccess& files, const std::string& target, const std::vector<std::uint8_t>& data,
                    Check&& check) {
  const std::string temp = target + ".new";
  if (!files.WriteAll(temp, data.data(), data.size()) || !check(temp) || !files.Replace(temp, target)) {
    files.Remove(temp);
    return false;
  }
  return true;
}

}  // namespace

std::uint32_t FileCrc32(const std::string& path) {
  std::FILE* raw = std::fopen(path.c_str(), "rb");
  if (!raw) return 0xFFFFFFFFu;
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(raw, &std::fclose);
  constexpr std::size_t kChunk = 0x100000;
  std::vector<std::uint8_t> buffer(kChunk);
  std::uint32_t crc = 0xFFFFFFFFu;
  std::size_t got;
  while ((got = std::fread(buffer.data(), 1, kChunk, raw)) > 0) crc = Crc32Update(crc, buffer.data(), got);
  return ~crc;
}

bool EncodeFile(const std::string& sourcePath, const std::string& destPath, std::string_view key,
                EncodedFileAccess& files) {
  if (sourcePath.size() > kMaxStoredPathLength) return false;
  std::vector<std::uint8_t> image;
  if (!files.ReadAll(sourcePath, image)) return false;
  BuildEncodedImage(image, sourcePath, KeySchedule(key));
  // What was written must read back byte for byte as the image, which decodes to the content.
  return WriteReplacing(files, destPath, image, [&](const std::string& temp) {
    std::vector<std::uint8_t> back;
    return files.ReadAll(temp, back) && back == image;
  });
}

bool DecodeFile(const std::string& encodedPath, std::string_view key, std::string& restoredPath, EncodedFileAccess& files,
                const std::string& overridePath) {
  std::vector<std::uint8_t> bytes;
  if (!files.ReadAll(encodedPath, bytes)) return false;
  DecodedImage decoded;
  if (!OpenEncodedImage(bytes, KeySchedule(key), decoded)) return false;
  const std::string target = overridePath.empty() ? decoded.path : overridePath;
  if (target.empty()) return false;
  bytes.resize(decoded.contentSize);
  if (!WriteReplacing(files, target, bytes, [](const std::string&) { return true; })) return false;
  restoredPath = target;
  return true;
}

bool InspectEncodedFile(const std::string& encodedPath, std::string_view key, EncodedFileInfo& info,
                        EncodedFileAccess& files) {
  std::vector<std::uint8_t> bytes;
  if (!files.ReadAll(encodedPath, bytes)) return false;
  DecodedImage decoded;
  if (!OpenEncodedImage(bytes, KeySchedule(key), decoded)) return false;
  info.storedPath = decoded.path;
  info.contentLength = decoded.contentSize;
  info.digest = decoded.digest;
  return true;
}

std::string SafeFileNamePart(std::string_view name, LeadBytePredicate isLeadByte) {
  constexpr std::size_t kMaxBytes = 200;
  std::string safe;
  for (std::size_t i = 0; i < name.size();) {
    const auto c = static_cast<unsigned char>(name[i]);
    if (isLeadByte && isLeadByte(c) && i + 1 < name.size()) {
      if (safe.size() + 2 > kMaxBytes) break;
      safe.append(name.substr(i, 2));
      i += 2;
      continue;
    }
    if (safe.size() + 1 > kMaxBytes) break;
    const bool forbidden = c < 0x20 || c == 0x7F || c == '\\' || c == '/' || c == ':' || c == '*' || c == '?' ||
                           c == '"' || c == '<' || c == '>' || c == '|';
    safe.push_back(forbidden ? '_' : static_cast<char>(c));
    ++i;
  }
  return safe;
}

std::string MakeEncodedPath(std::string_view directory, std::string_view name, const std::string& sourcePath,
                            EncodedFileAccess& files, LeadBytePredicate isLeadByte) {
  char crcText[9];
  std::snprintf(crcText, sizeof crcText, "%08X", static_cast<unsigned>(FileCrc32(sourcePath)));
  const std::string stem = std::string(directory) + SafeFileNamePart(name, isLeadByte) + crcText;
  std::string path = stem + ".QZD";
  for (int n = 2; files.Exists(path) || files.Exists(path + ".new"); ++n) {
    if (n > 999) return std::string();
    path = stem + "_" + std::to_string(n) + ".QZD";
  }
  return path;
}
