#include <gtest/gtest.h>

#include <algorithm>
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

// Chunks as a streaming reader hands them over: of every size class against the 64-byte block
// (inside one, ending on one, crossing several) and starting at any byte address.
TEST(Md5Hex, ChunksOfAnySizeAndAlignmentGiveTheWholeDigest) {
  const auto data = RandomBytes(10000 + 3, 8);
  for (std::size_t start = 0; start < 4; ++start) {
    const std::string whole = Md5Hex(data.data() + start, 10000);
    for (std::size_t piece : {1, 7, 63, 64, 65, 128, 1000, 4103}) {
      Md5 md5;
      for (std::size_t at = 0; at < 10000; at += piece) md5.Update(data.data() + start + at, std::min(piece, 10000 - at));
      EXPECT_EQ(HexDigest(md5.Final()), whole) << "start " << start << " piece " << piece;
    }
    // Empty updates anywhere change nothing.
    Md5 md5;
    md5.Update(data.data() + start, 5000);
    md5.Update(nullptr, 0);
    md5.Update(data.data() + start + 5000, 5000);
    EXPECT_EQ(HexDigest(md5.Final()), whole);
  }
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

// Every method this processor has agrees with the table at every length and start alignment,
// whole and in two chunks cut anywhere near a folding edge.
TEST(Crc32, EveryMethodAgreesWithTheTableAtEveryLengthAlignmentAndChunkCut) {
  const auto data = RandomBytes(65536 + 17 + 16, 21);
  for (Crc32Method method : {Crc32Method::kTable, Crc32Method::kCarrylessFolding}) {
    if (!Crc32MethodAvailable(method)) continue;
    for (std::size_t n : Crc32TestLengths()) {
      for (std::size_t align = 0; align < 16; ++align) {
        const std::uint8_t* p = data.data() + align;
        const std::uint32_t expected = Crc32UpdateWith(Crc32Method::kTable, 0xFFFFFFFFu, p, n);
        ASSERT_EQ(Crc32UpdateWith(method, 0xFFFFFFFFu, p, n), expected)
            << "method " << static_cast<int>(method) << " n=" << n << " align=" << align;
      }
      for (std::size_t cut : {std::size_t{1}, std::size_t{15}, std::size_t{16}, std::size_t{63}, std::size_t{64},
                              std::size_t{65}, n / 2, n - n % 16}) {
        if (cut > n) continue;
        const std::uint32_t whole = Crc32UpdateWith(Crc32Method::kTable, 0xFFFFFFFFu, data.data(), n);
        const std::uint32_t first = Crc32UpdateWith(method, 0xFFFFFFFFu, data.data(), cut);
        ASSERT_EQ(Crc32UpdateWith(method, first, data.data() + cut, n - cut), whole) << "n=" << n << " cut=" << cut;
      }
    }
  }
  // The default picks one of them, so it agrees too.
  EXPECT_EQ(Crc32Update(0xFFFFFFFFu, data.data() + 3, 65536),
            Crc32UpdateWith(Crc32Method::kTable, 0xFFFFFFFFu, data.data() + 3, 65536));
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
