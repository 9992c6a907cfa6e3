#include <gtest/gtest.h>

#include <string>

#include "launcher/crc32.h"
#include "launcher/file_encoding.h"
#include "launcher/md5.h"
#include "launcher_test_files.h"

namespace {

TEST(Md5Hex, Rfc1321TestSuite) {
  const struct {
    const char* input;
    const char* digest;
  } cases[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
  };
  for (const auto& c : cases) EXPECT_EQ(Md5Hex(c.input, std::string(c.input).size()), c.digest) << c.input;
}

TEST(Md5Hex, PaddingBoundariesAndPiecewiseUpdates) {
  // Lengths around the 56- and 64-byte padding edges, fed whole and in odd pieces, must agree.
  for (std::size_t n : {55, 56, 57, 63, 64, 65, 119, 120, 121, 128, 1000}) {
    const auto data = RandomBytes(n, static_cast<unsigned>(n));
    Md5 pieces;
    for (std::size_t i = 0; i < n; i += 13) pieces.Update(data.data() + i, std::min<std::size_t>(13, n - i));
    EXPECT_EQ(HexDigest(pieces.Final()), Md5Hex(data.data(), n)) << n;
  }
  const std::string million(1000000, 'a');
  EXPECT_EQ(Md5Hex(million.data(), million.size()), "7707d6ae4e027c70eea2a935c2296f21");
}

TEST(Crc32, CheckValueAndSlicingAgreesWithByteAtATime) {
  EXPECT_EQ(Crc32("123456789", 9), 0xCBF43926u);
  EXPECT_EQ(Crc32("", 0), 0u);
  const auto data = RandomBytes(1037, 3);
  for (std::size_t split : {0, 1, 7, 8, 9, 500, 1037}) {
    std::uint32_t crc = Crc32Update(0xFFFFFFFFu, data.data(), split);
    crc = Crc32Update(crc, data.data() + split, data.size() - split);
    std::uint32_t bytewise = 0xFFFFFFFFu;
    for (std::uint8_t b : data) bytewise = Crc32Update(bytewise, &b, 1);
    EXPECT_EQ(crc, bytewise) << split;
  }
}

TEST(FileCrc32, MissingEmptyAndMultiChunkFiles) {
  const std::string dir = ScratchDir();
  EXPECT_FALSE(FileCrc32(dir + "absent.bin"));
  WriteBytes(dir + "empty.bin", {});
  EXPECT_EQ(FileCrc32(dir + "empty.bin"), 0u);
  for (std::size_t n : {std::size_t{1}, std::size_t{0x100000} - 1, std::size_t{0x100000}, std::size_t{0x100000} * 2 + 5}) {
    const auto data = RandomBytes(n, static_cast<unsigned>(n));
    WriteBytes(dir + "data.bin", data);
    EXPECT_EQ(FileCrc32(dir + "data.bin"), Crc32(data.data(), data.size())) << n;
  }
}

}  // namespace
