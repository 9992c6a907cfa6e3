// Our MD5 and CRC-32 against the system's md5sum and zlib, on real files (native builds only).
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <string>

#include "launcher/file_encoding.h"
#include "launcher/md5.h"
#include "launcher_test_files.h"

namespace {

std::string SystemMd5(const std::string& path) {
  std::FILE* pipe = popen(("md5sum '" + path + "'").c_str(), "r");
  if (!pipe) return {};
  char line[128] = {};
  const bool got = std::fgets(line, sizeof line, pipe) != nullptr;
  pclose(pipe);
  return got ? std::string(line, 32) : std::string();
}

TEST(ReferenceDigests, AgreeWithMd5sumAndZlibOnRandomFiles) {
  const std::string dir = ScratchDir();
  for (std::size_t n : {0, 1, 55, 64, 65, 4096, 100000, 0x100000 + 3, 3 * 0x100000 + 17}) {
    const auto data = RandomBytes(n, static_cast<unsigned>(n + 11));
    const std::string path = dir + "f" + std::to_string(n) + ".bin";
    WriteBytes(path, data);
    EXPECT_EQ(Md5Hex(data.data(), data.size()), SystemMd5(path)) << n;
    const auto zlibCrc = static_cast<std::uint32_t>(crc32(0L, data.data(), static_cast<uInt>(data.size())));
    EXPECT_EQ(FileCrc32(path), zlibCrc) << n;
  }
}

}  // namespace
