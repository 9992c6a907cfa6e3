// Our MD5 and CRC-32 against the system's md5sum and zlib, on real files (native builds only).
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "launcher/crc32.h"
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

// Each CRC-32 method against zlib at every length and alignment around the folding edges, and on
// a large buffer fed whole and in uneven chunks.
TEST(ReferenceDigests, EveryCrc32MethodAgreesWithZlib) {
  const auto data = RandomBytes(16u << 20, 5);
  for (Crc32Method method : {Crc32Method::kTable, Crc32Method::kCarrylessFolding}) {
    if (!Crc32MethodAvailable(method)) {
      std::printf("CRC-32 method %d is not available on this processor\n", static_cast<int>(method));
      continue;
    }
    for (std::size_t n : Crc32TestLengths()) {
      for (std::size_t align = 0; align < 16; ++align) {
        const std::uint8_t* p = data.data() + align;
        const auto zlibCrc = static_cast<std::uint32_t>(crc32(0L, p, static_cast<uInt>(n)));
        ASSERT_EQ(~Crc32UpdateWith(method, 0xFFFFFFFFu, p, n), zlibCrc)
            << "method " << static_cast<int>(method) << " n=" << n << " align=" << align;
      }
    }
    const auto zlibBig = static_cast<std::uint32_t>(crc32(0L, data.data() + 1, static_cast<uInt>(data.size() - 1)));
    EXPECT_EQ(~Crc32UpdateWith(method, 0xFFFFFFFFu, data.data() + 1, data.size() - 1), zlibBig);
    std::uint32_t running = 0xFFFFFFFFu;
    for (std::size_t at = 1, step = 1; at < data.size(); at += step, step = step * 3 + 7) {
      running = Crc32UpdateWith(method, running, data.data() + at, std::min(step, data.size() - at));
    }
    EXPECT_EQ(~running, zlibBig);
  }
}

}  // namespace
