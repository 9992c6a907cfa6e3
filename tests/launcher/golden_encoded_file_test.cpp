// An encoded file written by an earlier build and kept in the tests as it was: users' files of
// that age must keep decoding, and new files must come out byte for byte the same.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "launcher/crc32.h"
#include "launcher/file_encoding.h"
#include "launcher/md5.h"
#include "launcher_test_files.h"
#include "whole_buffer_image.h"

namespace {

const std::string kGoldenName = "Notes65CB1770.QZD";
const std::string kGoldenPath = std::string(VELTA_TEST_DATA) + "/launcher/" + kGoldenName;
const std::string kKey = "golden key";
const std::string kStoredPath = "C:\\Users\\Public\\Documents\\notes.txt";
// 41 bytes: text, a line end, a control byte and a byte above 0x7F.
const std::string kContent = std::string("Meeting notes, 3 May: bring the keys.\r\n") + '\x01' + '\xFF';

std::vector<std::uint8_t> Golden() {
  auto bytes = ReadBytes(kGoldenPath);
  // 41 + 35 + 36 = 112 bytes, a multiple of 8: the whole last block stays as it is.
  EXPECT_EQ(bytes.size(), 112u) << kGoldenPath;
  return bytes;
}

TEST(GoldenEncodedFile, DecodesToItsContentAndPath) {
  const auto golden = Golden();
  ASSERT_EQ(kContent.size(), 41u);

  auto bytes = golden;
  DecodedImage decoded;
  ASSERT_TRUE(OpenEncodedImage(bytes, KeySchedule(kKey), decoded));
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(decoded.contentSize)), kContent);
  EXPECT_EQ(decoded.path, kStoredPath);
  EXPECT_EQ(decoded.digest, Md5Hex(kContent.data(), kContent.size()));

  // The file layer gives the same, written to a place of the test's choosing.
  const std::string dir = ScratchDir();
  WriteBytes(dir + kGoldenName, golden);
  std::string restored;
  ASSERT_TRUE(DecodeFile(dir + kGoldenName, kKey, restored, StdFileAccess::Instance(), dir + "notes.txt"));
  EXPECT_EQ(ReadBytes(dir + "notes.txt"), std::vector<std::uint8_t>(kContent.begin(), kContent.end()));
  EncodedFileInfo info;
  ASSERT_TRUE(InspectEncodedFile(dir + kGoldenName, kKey, info).ok());
  EXPECT_EQ(info.storedPath, kStoredPath);
  EXPECT_EQ(info.contentLength, 41u);

  // The name carries the content's CRC-32.
  char name[32];
  std::snprintf(name, sizeof name, "Notes%08X.QZD", static_cast<unsigned>(Crc32(kContent.data(), kContent.size())));
  EXPECT_EQ(name, kGoldenName);

  for (const char* wrong : {"", "golden", "Golden key", "golden key "}) {
    auto copy = golden;
    EXPECT_FALSE(OpenEncodedImage(copy, KeySchedule(wrong), decoded)) << wrong;
  }
}

TEST(GoldenEncodedFile, EncodingTheSameContentAndPathGivesTheSameBytes) {
  std::vector<std::uint8_t> image(kContent.begin(), kContent.end());
  BuildEncodedImage(image, kStoredPath, KeySchedule(kKey));
  EXPECT_EQ(image, Golden());
}

}  // namespace
