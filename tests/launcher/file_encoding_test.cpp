#include "launcher/file_encoding.h"

#include <gtest/gtest.h>

#include <string>

#include "launcher/crc32.h"
#include "launcher/encoded_image.h"
#include "launcher/md5.h"
#include "launcher_test_files.h"

namespace {

TEST(EncodeFile, RoundTripsContentAndPathForSmallSizes) {
  const std::string dir = ScratchDir();
  for (std::size_t n : {0, 1, 7, 8, 9, 100}) {
    const std::string original = dir + "plain" + std::to_string(n) + ".txt";
    const std::string encoded = dir + "enc" + std::to_string(n) + ".QZD";
    const auto content = RandomBytes(n, static_cast<unsigned>(n));
    WriteBytes(original, content);
    ASSERT_TRUE(EncodeFile(original, encoded, "my key"));
    EXPECT_EQ(ReadBytes(encoded).size(), n + original.size() + 36);
    EXPECT_EQ(ReadBytes(original), content) << "the source stays as it was";
    std::filesystem::remove(original);
    std::string restored;
    ASSERT_TRUE(DecodeFile(encoded, "my key", restored)) << n;
    EXPECT_EQ(restored, original);
    EXPECT_EQ(ReadBytes(original), content);
    EXPECT_TRUE(Exists(encoded)) << "decoding leaves the encoded file";
  }
}

TEST(EncodeFile, LayoutBeforeTheTransformIsContentPathLengthDigest) {
  const std::string dir = ScratchDir();
  const std::string original = dir + "layout.txt";
  WriteBytes(original, {'h', 'e', 'l', 'l', 'o'});
  ASSERT_TRUE(EncodeFile(original, dir + "x.QZD", "k"));
  auto bytes = ReadBytes(dir + "x.QZD");
  KeyedBlockTransform(bytes.data(), bytes.size(), "k", false);
  const std::string text(bytes.begin(), bytes.end());
  const std::uint32_t a = static_cast<std::uint32_t>(original.size());
  EXPECT_EQ(text.substr(0, 5), "hello");
  EXPECT_EQ(text.substr(5, a), original);
  EXPECT_EQ(bytes[5 + a], a & 0xFF);
  EXPECT_EQ(bytes[6 + a], (a >> 8) & 0xFF);
  EXPECT_EQ(bytes[7 + a], 0);
  EXPECT_EQ(text.substr(9 + a), Md5Hex("hello", 5));
}

// Files that must be refused by DecodeFile, with nothing written anywhere.
TEST(DecodeFile, RefusesWrongKeysDamagedForeignAndShortFilesWithoutWriting) {
  const std::string dir = ScratchDir();
  const std::string original = dir + "orig.bin";
  WriteBytes(original, RandomBytes(500, 9));
  ASSERT_TRUE(EncodeFile(original, dir + "good.QZD", "right"));
  std::filesystem::remove(original);

  auto imageWith = [&](std::uint32_t storedLength, std::size_t contentSize) {
    // A plain image whose length word says storedLength, encoded with the right key.
    auto bytes = RandomBytes(contentSize, 4);
    const std::string digest = Md5Hex(bytes.data(), bytes.size());
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(storedLength >> (8 * i)));
    bytes.insert(bytes.end(), digest.begin(), digest.end());
    KeyedBlockTransform(bytes.data(), bytes.size(), "right", true);
    return bytes;
  };
  auto flipped = ReadBytes(dir + "good.QZD");
  flipped[17] ^= 0x01;
  std::vector<std::uint8_t> longPath(300, 'p');
  BuildEncodedImage(longPath, std::string(260, 'C'), KeySchedule("right"));

  const struct {
    const char* what;
    std::vector<std::uint8_t> bytes;
    const char* key;
  } cases[] = {
      {"empty file", {}, "right"},
      {"35 bytes", RandomBytes(35, 1), "right"},
      {"foreign file", RandomBytes(4000, 2), "right"},
      {"one content bit changed", flipped, "right"},
      {"stored length points before the start", imageWith(40, 0), "right"},
      {"stored length just past the file", imageWith(5, 4), "right"},
      {"stored length 0xFFFFFFFF", imageWith(0xFFFFFFFFu, 64), "right"},
      {"stored path of 260 characters", longPath, "right"},
  };
  for (const auto& c : cases) {
    WriteBytes(dir + "case.QZD", c.bytes);
    std::string restored = "untouched";
    EXPECT_FALSE(DecodeFile(dir + "case.QZD", c.key, restored)) << c.what;
    EXPECT_EQ(restored, "untouched") << c.what;
    EXPECT_EQ(Listing(dir), (std::vector<std::string>{"case.QZD", "good.QZD"})) << c.what;
  }
  for (const char* wrong : {"Right", "righ", "right ", "", "a-much-longer-wrong-key"}) {
    std::string restored;
    EXPECT_FALSE(DecodeFile(dir + "good.QZD", wrong, restored)) << wrong;
  }
  EXPECT_FALSE(Exists(original));
  std::string restored;
  EXPECT_FALSE(DecodeFile(dir + "absent.QZD", "right", restored));
  ASSERT_TRUE(DecodeFile(dir + "good.QZD", "right", restored));
  EXPECT_EQ(ReadBytes(original), RandomBytes(500, 9));
}

TEST(DecodeFile, RestoresToAnotherPathWhenAsked) {
  const std::string dir = ScratchDir();
  WriteBytes(dir + "a.txt", {'x', 'y'});
  ASSERT_TRUE(EncodeFile(dir + "a.txt", dir + "a.QZD", "k"));
  std::string restored;
  ASSERT_TRUE(DecodeFile(dir + "a.QZD", "k", restored, DefaultEncodedFileAccess(), dir + "b.txt"));
  EXPECT_EQ(restored, dir + "b.txt");
  EXPECT_EQ(ReadBytes(dir + "b.txt"), (std::vector<std::uint8_t>{'x', 'y'}));
  EncodedFileInfo info;
  ASSERT_TRUE(InspectEncodedFile(dir + "a.QZD", "k", info));
  EXPECT_EQ(info.storedPath, dir + "a.txt");
  EXPECT_EQ(info.contentLength, 2u);
  EXPECT_EQ(info.digest, Md5Hex("xy", 2));
  EXPECT_FALSE(InspectEncodedFile(dir + "a.QZD", "K", info));
}

TEST(EncodeFile, RefusesWhatCouldNotBeRestored) {
  const std::string dir = ScratchDir();
  EXPECT_FALSE(EncodeFile(dir + "missing.txt", dir + "m.QZD", "k"));
  EXPECT_FALSE(Exists(dir + "m.QZD"));
  // A source path longer than 259 characters would be refused when decoding.
  const std::string longName = dir + std::string(260 - dir.size(), 'n');
  EXPECT_FALSE(EncodeFile(longName, dir + "l.QZD", "k"));
  EXPECT_EQ(Listing(dir), std::vector<std::string>{});
}

// Fails chosen steps; WriteAll writes half the bytes before it fails, as a full disk would.
class FailingFiles : public EncodedFileAccess {
 public:
  enum Fault { kNone, kWriteHalf, kReplace, kCorruptWrite };
  explicit FailingFiles(Fault fault) : fault_(fault) {}
  bool WriteAll(const std::string& path, const std::uint8_t* data, std::size_t size) override {
    if (fault_ == kWriteHalf) {
      EncodedFileAccess::WriteAll(path, data, size / 2);
      return false;
    }
    if (fault_ == kCorruptWrite && size > 3) {
      std::vector<std::uint8_t> bad(data, data + size);
      bad[size / 2] ^= 0x40;  // reports success but one byte landed wrong
      return EncodedFileAccess::WriteAll(path, bad.data(), size);
    }
    return EncodedFileAccess::WriteAll(path, data, size);
  }
  bool Replace(const std::string& from, const std::string& to) override {
    return fault_ == kReplace ? false : EncodedFileAccess::Replace(from, to);
  }

 private:
  Fault fault_;
};

TEST(EncodeFile, AFailedWriteKeepsTheOriginalAndTheOldEncodedFileAndLeavesNoPartialFile) {
  for (auto fault : {FailingFiles::kWriteHalf, FailingFiles::kReplace, FailingFiles::kCorruptWrite}) {
    const std::string dir = ScratchDir();
    const auto content = RandomBytes(10000, 5);
    WriteBytes(dir + "doc.txt", content);
    FailingFiles files(fault);
    EXPECT_FALSE(EncodeFile(dir + "doc.txt", dir + "doc.QZD", "k", files)) << fault;
    EXPECT_EQ(Listing(dir), std::vector<std::string>{"doc.txt"}) << fault;
    EXPECT_EQ(ReadBytes(dir + "doc.txt"), content);

    // Re-encoding over an existing encoded file: the old one stays whole when the new write fails.
    ASSERT_TRUE(EncodeFile(dir + "doc.txt", dir + "doc.QZD", "k"));
    const auto before = ReadBytes(dir + "doc.QZD");
    WriteBytes(dir + "doc.txt", RandomBytes(12000, 6));
    EXPECT_FALSE(EncodeFile(dir + "doc.txt", dir + "doc.QZD", "k", files)) << fault;
    EXPECT_EQ(ReadBytes(dir + "doc.QZD"), before) << fault;
    EXPECT_EQ(Listing(dir), (std::vector<std::string>{"doc.QZD", "doc.txt"})) << fault;
  }
}

TEST(EncodeFile, ReplacesAnExistingEncodedFileWhenAllGoesWell) {
  const std::string dir = ScratchDir();
  WriteBytes(dir + "doc.txt", RandomBytes(100, 1));
  ASSERT_TRUE(EncodeFile(dir + "doc.txt", dir + "doc.QZD", "k"));
  WriteBytes(dir + "doc.txt", RandomBytes(300, 2));
  ASSERT_TRUE(EncodeFile(dir + "doc.txt", dir + "doc.QZD", "k"));
  std::filesystem::remove(dir + "doc.txt");
  std::string restored;
  ASSERT_TRUE(DecodeFile(dir + "doc.QZD", "k", restored));
  EXPECT_EQ(ReadBytes(dir + "doc.txt"), RandomBytes(300, 2));
  EXPECT_EQ(Listing(dir), (std::vector<std::string>{"doc.QZD", "doc.txt"}));
}

TEST(DecodeFile, AFailedRestoreWriteLeavesAnExistingFileAtTheTargetWhole) {
  const std::string dir = ScratchDir();
  WriteBytes(dir + "doc.txt", RandomBytes(100, 1));
  ASSERT_TRUE(EncodeFile(dir + "doc.txt", dir + "doc.QZD", "k"));
  WriteBytes(dir + "doc.txt", {'n', 'e', 'w'});
  FailingFiles files(FailingFiles::kWriteHalf);
  std::string restored;
  EXPECT_FALSE(DecodeFile(dir + "doc.QZD", "k", restored, files));
  EXPECT_EQ(ReadBytes(dir + "doc.txt"), (std::vector<std::uint8_t>{'n', 'e', 'w'}));
  EXPECT_EQ(Listing(dir), (std::vector<std::string>{"doc.QZD", "doc.txt"}));
}

TEST(SafeFileNamePart, KeepsNamesInsideTheFolder) {
  const struct {
    std::string name, safe;
  } cases[] = {
      {"Notes", "Notes"},
      {"..\\..\\Windows\\evil", ".._.._Windows_evil"},
      {"../up", ".._up"},
      {"C:\\x", "C__x"},
      {"a*b?c\"d<e>f|g", "a_b_c_d_e_f_g"},
      {std::string("tab\there\x01\0", 10), "tab_here__"},
      {"", ""},
      {std::string(300, 'x'), std::string(200, 'x')},
  };
  for (const auto& c : cases) EXPECT_EQ(SafeFileNamePart(c.name), c.safe) << c.name;
  // In a two-byte code page the trail byte 0x5C is part of a character, not a separator.
  auto shiftJisLead = [](unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); };
  EXPECT_EQ(SafeFileNamePart("\x83\x5C\x83\x74\x83\x67\\x", shiftJisLead), "\x83\x5C\x83\x74\x83\x67_x");
  EXPECT_EQ(SafeFileNamePart("\x83\x5C", nullptr), "\x83_");
  // Never cut inside a two-byte character.
  EXPECT_EQ(SafeFileNamePart(std::string(199, 'x') + "\x83\x5C", shiftJisLead), std::string(199, 'x'));
}

TEST(MakeEncodedPath, NamesTheFileAfterNameAndCrcAndNeverTakesAnotherItemsFile) {
  const std::string dir = ScratchDir();
  WriteBytes(dir + "empty.txt", {});
  EXPECT_EQ(MakeEncodedPath(dir, "Empty", dir + "empty.txt"), dir + "Empty00000000.QZD");
  WriteBytes(dir + "check.txt", {'1', '2', '3', '4', '5', '6', '7', '8', '9'});
  EXPECT_EQ(MakeEncodedPath(dir, "Notes", dir + "check.txt"), dir + "NotesCBF43926.QZD");
  EXPECT_EQ(MakeEncodedPath(dir, "..\\up", dir + "check.txt"), dir + ".._upCBF43926.QZD");
  WriteBytes(dir + "NotesCBF43926.QZD", {1});
  WriteBytes(dir + "NotesCBF43926_2.QZD", {2});
  EXPECT_EQ(MakeEncodedPath(dir, "Notes", dir + "check.txt"), dir + "NotesCBF43926_3.QZD");
}

}  // namespace
