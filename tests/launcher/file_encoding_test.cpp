#include "launcher/file_encoding.h"

#include <gtest/gtest.h>

#include <iterator>
#include <set>
#include <string>
#include <utility>

#include "launcher/crc32.h"
#include "launcher/md5.h"
#include "launcher_test_files.h"
#include "storage/device_path.h"
#include "storage/faulty_files.h"
#include "storage/memory_file_access.h"
#include "whole_buffer_image.h"

namespace {

FileAccess& Files() { return StdFileAccess::Instance(); }

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

// The streamed file must be byte for byte what the whole-buffer encoder of earlier builds
// made, wherever the chunk boundaries and the untouched last 1 to 8 bytes fall: content sizes
// around one and two chunks, and stored paths whose lengths move the last block through every
// offset modulo 8. (Files in memory: the disk is not what is tested here.)
TEST(EncodeFile, StreamsTheSameBytesAsTheWholeBufferEncoderAcrossChunkBoundaries) {
  const std::string dir = ScratchDir();
  const std::size_t chunk = kEncodedChunkSize;
  const auto big = RandomBytes(2 * chunk + 16, 77);
  std::vector<std::size_t> sizes;
  for (std::size_t n = chunk - 1; n <= chunk + 9; ++n) sizes.push_back(n);
  sizes.push_back(2 * chunk + 1);
  for (std::size_t n = 0; n <= 40; ++n) sizes.push_back(n);
  const KeySchedule schedule("streaming key");
  MemoryFileAccess files;
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    const std::size_t n = sizes[i];
    // Names of 1 to 8 characters: the path length, and with it the last block, moves by one each time.
    const std::string source = dir + std::string(1 + i % 8, 'p');
    const std::string content(big.begin(), big.begin() + static_cast<std::ptrdiff_t>(n));
    files.Put(source, content);
    std::vector<std::uint8_t> expected(content.begin(), content.end());
    BuildEncodedImage(expected, source, schedule);
    ASSERT_TRUE(EncodeFile(source, dir + "s.QZD", "streaming key", files)) << n;
    ASSERT_TRUE(files.Get(dir + "s.QZD") == std::string(expected.begin(), expected.end()))
        << "content of " << n << " bytes, path of " << source.size();

    // And the streaming decoder gives the content back from the reference's bytes.
    files.Put(dir + "ref.QZD", std::string(expected.begin(), expected.end()));
    DecodeOptions options;
    options.to = dir + "back.bin";
    ASSERT_TRUE(DecodeEncodedFile(dir + "ref.QZD", "streaming key", options, files).ok()) << n;
    ASSERT_TRUE(files.Get(dir + "back.bin") == content) << n;
    EncodedFileInfo info;
    ASSERT_TRUE(InspectEncodedFile(dir + "ref.QZD", "streaming key", info, false, files).ok());
    EXPECT_EQ(info.contentLength, n);
    EXPECT_EQ(info.storedPath, source);
  }
  EXPECT_EQ(files.Names().size(), 11u) << "no temporary file is left";
}

// Files that must be refused, with nothing written anywhere.
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

  const struct {
    const char* what;
    std::vector<std::uint8_t> bytes;
    EncodedFileOutcome::Status status;
  } cases[] = {
      {"empty file", {}, EncodedFileOutcome::Status::NotEncoded},
      {"35 bytes", RandomBytes(35, 1), EncodedFileOutcome::Status::NotEncoded},
      {"foreign file", RandomBytes(4000, 2), EncodedFileOutcome::Status::NotEncoded},
      {"one content bit changed", flipped, EncodedFileOutcome::Status::NotEncoded},
      {"stored length points before the start", imageWith(40, 0), EncodedFileOutcome::Status::NotEncoded},
      {"stored length just past the file", imageWith(5, 4), EncodedFileOutcome::Status::NotEncoded},
      {"stored length 0xFFFFFFFF", imageWith(0xFFFFFFFFu, 64), EncodedFileOutcome::Status::NotEncoded},
  };
  for (const auto& c : cases) {
    WriteBytes(dir + "case.QZD", c.bytes);
    EXPECT_EQ(DecodeEncodedFile(dir + "case.QZD", "right").status, c.status) << c.what;
    EXPECT_EQ(Listing(dir), (std::vector<std::string>{"case.QZD", "good.QZD"})) << c.what;
  }
  for (const char* wrong : {"Right", "righ", "right ", "", "a-much-longer-wrong-key"}) {
    EXPECT_EQ(DecodeEncodedFile(dir + "good.QZD", wrong).status, EncodedFileOutcome::Status::NotEncoded) << wrong;
  }
  EXPECT_EQ(Listing(dir), (std::vector<std::string>{"case.QZD", "good.QZD"}));
  EXPECT_EQ(DecodeEncodedFile(dir + "absent.QZD", "right").status, EncodedFileOutcome::Status::Unreadable);
  EXPECT_EQ(DecodeEncodedFile(dir, "right").status, EncodedFileOutcome::Status::Unreadable) << "a folder";
  std::string restored;
  ASSERT_TRUE(DecodeFile(dir + "good.QZD", "right", restored));
  EXPECT_EQ(ReadBytes(original), RandomBytes(500, 9));
}

// A file whose stored path is longer than 259 characters (no build writes one; an old or a
// crafted file may hold one) is told as such, not as a wrong key or a damaged file: its digest
// proves it whole. It decodes with a path given; damaged, or with a wrong key, it is refused.
TEST(DecodeFile, AStoredPathOverItsLimitIsToldAsSuchAndDecodesElsewhere) {
  const std::string folder = "/long/";
  const std::string longer = folder + std::string(300, 'C');  // beyond 259 bytes of the code page
  const std::string farther = folder + std::string(5000, 'D');  // beyond the end every path within its limit lies in
  const std::string utf8 = folder + std::string(900, 'E');     // marked UTF-8 beyond its 777 bytes
  const auto crafted = [](const std::string& path, bool mark) {
    std::vector<std::uint8_t> image = RandomBytes(20000, 3);
    const std::string digest = Md5Hex(image.data(), image.size());
    const auto a = static_cast<std::uint32_t>(path.size()) | (mark ? kUtf8PathMark : 0u);
    image.insert(image.end(), path.begin(), path.end());
    for (int i = 0; i < 4; ++i) image.push_back(static_cast<std::uint8_t>(a >> (8 * i)));
    image.insert(image.end(), digest.begin(), digest.end());
    KeyedBlockTransform(image.data(), image.size(), "right", true);
    return std::string(image.begin(), image.end());
  };
  for (const auto& [path, mark] : {std::pair{longer, false}, std::pair{farther, false}, std::pair{utf8, true}}) {
    SCOPED_TRACE(path.size());
    MemoryFileAccess files;
    files.Put("/in.QZD", crafted(path, mark));
    const EncodedFileOutcome refused = DecodeEncodedFile("/in.QZD", "right", {}, files);
    EXPECT_EQ(refused.status, EncodedFileOutcome::Status::UnsafePath);
    EXPECT_EQ(refused.pathProblem, StoredPath::Problem::TooLong);
    EXPECT_EQ(refused.storedPath, path);
    EncodedFileInfo info;
    const EncodedFileOutcome inspected = InspectEncodedFile("/in.QZD", "right", info, true, files);
    EXPECT_TRUE(inspected.ok());
    EXPECT_EQ(inspected.pathProblem, StoredPath::Problem::TooLong);
    EXPECT_EQ(info.storedPath, path);
    EXPECT_EQ(info.contentLength, 20000u);
    EXPECT_EQ(files.Names(), std::set<std::string>{"/in.QZD"}) << "nothing written";

    DecodeOptions elsewhere;
    elsewhere.to = "/out.bin";
    ASSERT_TRUE(DecodeEncodedFile("/in.QZD", "right", elsewhere, files).ok());
    const auto content = RandomBytes(20000, 3);
    EXPECT_EQ(files.Get("/out.bin"), std::string(content.begin(), content.end()));
    FileError error;
    ASSERT_TRUE(files.Remove("/out.bin", error));

    EXPECT_EQ(DecodeEncodedFile("/in.QZD", "wrong", {}, files).status, EncodedFileOutcome::Status::NotEncoded);
    std::string damaged = files.Get("/in.QZD");
    damaged[100] = static_cast<char>(damaged[100] ^ 0x20);
    files.Put("/in.QZD", damaged);
    EXPECT_EQ(DecodeEncodedFile("/in.QZD", "right", {}, files).status, EncodedFileOutcome::Status::NotEncoded);
    EXPECT_EQ(files.Names(), std::set<std::string>{"/in.QZD"}) << "nothing written";
  }
}

TEST(DecodeFile, RestoresToAnotherPathWhenAskedAndReplacesOnlyWhenAllowed) {
  const std::string dir = ScratchDir();
  WriteBytes(dir + "a.txt", {'x', 'y'});
  ASSERT_TRUE(EncodeFile(dir + "a.txt", dir + "a.QZD", "k"));
  std::string restored;
  ASSERT_TRUE(DecodeFile(dir + "a.QZD", "k", restored, Files(), dir + "b.txt"));
  EXPECT_EQ(restored, dir + "b.txt");
  EXPECT_EQ(ReadBytes(dir + "b.txt"), (std::vector<std::uint8_t>{'x', 'y'}));
  EncodedFileInfo info;
  ASSERT_TRUE(InspectEncodedFile(dir + "a.QZD", "k", info).ok());
  EXPECT_EQ(info.storedPath, dir + "a.txt");
  EXPECT_EQ(info.contentLength, 2u);
  EXPECT_EQ(info.digest, Md5Hex("xy", 2));
  EXPECT_FALSE(InspectEncodedFile(dir + "a.QZD", "K", info).ok());

  // Without replacing, an existing file at the stored path stays as it is.
  WriteBytes(dir + "a.txt", {'o', 'l', 'd'});
  DecodeOptions keep;
  keep.replace = false;
  const EncodedFileOutcome refused = DecodeEncodedFile(dir + "a.QZD", "k", keep);
  EXPECT_EQ(refused.status, EncodedFileOutcome::Status::TargetExists);
  EXPECT_EQ(refused.storedPath, dir + "a.txt");
  EXPECT_EQ(ReadBytes(dir + "a.txt"), (std::vector<std::uint8_t>{'o', 'l', 'd'}));
  std::filesystem::remove(dir + "a.txt");
  EXPECT_TRUE(DecodeEncodedFile(dir + "a.QZD", "k", keep).ok());
  EXPECT_EQ(ReadBytes(dir + "a.txt"), (std::vector<std::uint8_t>{'x', 'y'}));
  EXPECT_EQ(Listing(dir), (std::vector<std::string>{"a.QZD", "a.txt", "b.txt"}));
}

TEST(EncodeFile, RefusesWhatCouldNotBeRestored) {
  const std::string dir = ScratchDir();
  EXPECT_EQ(EncodeFileTo(dir + "missing.txt", dir + "m.QZD", "k").status, EncodedFileOutcome::Status::Unreadable);
  EXPECT_EQ(EncodeFileTo(dir, dir + "m.QZD", "k").status, EncodedFileOutcome::Status::Unreadable) << "a folder";
  WriteBytes(dir + "doc.txt", {'d'});
  // A source path that decoding would refuse: longer than 259 characters, relative, with "..".
  const std::string longName = dir + std::string(260 - dir.size(), 'n');
  const std::string sep(1, std::filesystem::path::preferred_separator);
  for (const std::string& path : {longName, std::string("doc.txt"), dir + "x" + sep + ".." + sep + "doc.txt"}) {
    EXPECT_EQ(EncodeFileTo(path, dir + "l.QZD", "k").status, EncodedFileOutcome::Status::UnsafePath) << path;
  }
  EXPECT_EQ(Listing(dir), std::vector<std::string>{"doc.txt"});
}

// A write that fails half way (a full disk) or a rename that is refused: the source, an
// existing encoded file and every other file stay; no temporary file is left.
TEST(EncodeFile, AFailedWriteKeepsTheOriginalAndTheOldEncodedFileAndLeavesNoPartialFile) {
  const struct {
    const char* what;
    long long writeFailsAfter;
    bool moveFails;
  } faults[] = {{"write fails half way", 5000, false}, {"rename refused", -1, true}};
  for (const auto& fault : faults) {
    const std::string dir = ScratchDir();
    const auto content = RandomBytes(10000, 5);
    WriteBytes(dir + "doc.txt", content);
    FaultyFiles files(Files());
    files.writeFailsAfter = fault.writeFailsAfter;
    files.moveFailsForGood = fault.moveFails;
    const EncodedFileOutcome outcome = EncodeFileTo(dir + "doc.txt", dir + "doc.QZD", "k", files);
    EXPECT_EQ(outcome.status, EncodedFileOutcome::Status::WriteFailed) << fault.what;
    EXPECT_FALSE(outcome.error.message.empty()) << fault.what;
    EXPECT_EQ(Listing(dir), std::vector<std::string>{"doc.txt"}) << fault.what;
    EXPECT_EQ(ReadBytes(dir + "doc.txt"), content);

    // Re-encoding over an existing encoded file: the old one stays whole when the new write fails.
    ASSERT_TRUE(EncodeFile(dir + "doc.txt", dir + "doc.QZD", "k"));
    const auto before = ReadBytes(dir + "doc.QZD");
    WriteBytes(dir + "doc.txt", RandomBytes(12000, 6));
    FaultyFiles again(Files());
    again.writeFailsAfter = fault.writeFailsAfter;
    again.moveFailsForGood = fault.moveFails;
    EXPECT_FALSE(EncodeFileTo(dir + "doc.txt", dir + "doc.QZD", "k", again).ok()) << fault.what;
    EXPECT_EQ(ReadBytes(dir + "doc.QZD"), before) << fault.what;
    EXPECT_EQ(Listing(dir), (std::vector<std::string>{"doc.QZD", "doc.txt"})) << fault.what;
  }
}

// An antivirus or an indexer holding the target for a moment: the rename is tried again.
TEST(EncodeFile, ARenameRefusedForAMomentIsTriedAgain) {
  const std::string dir = ScratchDir();
  WriteBytes(dir + "doc.txt", RandomBytes(300, 2));
  FaultyFiles files(Files());
  files.movesHeldFor = 3;
  ASSERT_TRUE(EncodeFileTo(dir + "doc.txt", dir + "doc.QZD", "k", files).ok());
  EXPECT_EQ(files.movesTried, 4);
  EXPECT_EQ(files.pauses, 3);
  FaultyFiles held(Files());
  held.movesHeldFor = 100;
  EXPECT_EQ(EncodeFileTo(dir + "doc.txt", dir + "doc.QZD", "k", held).status, EncodedFileOutcome::Status::WriteFailed);
  EXPECT_EQ(held.movesTried, 1 + static_cast<int>(std::size(FileAccess::kRetryPauses)));
  EXPECT_EQ(Listing(dir), (std::vector<std::string>{"doc.QZD", "doc.txt"}));
}

TEST(DecodeFile, AFailedRestoreWriteLeavesAnExistingFileAtTheTargetWhole) {
  const std::string dir = ScratchDir();
  WriteBytes(dir + "doc.txt", RandomBytes(100, 1));
  ASSERT_TRUE(EncodeFile(dir + "doc.txt", dir + "doc.QZD", "k"));
  WriteBytes(dir + "doc.txt", {'n', 'e', 'w'});
  FaultyFiles files(Files());
  files.writeFailsAfter = 50;
  std::string restored;
  EXPECT_FALSE(DecodeFile(dir + "doc.QZD", "k", restored, files));
  EXPECT_EQ(ReadBytes(dir + "doc.txt"), (std::vector<std::uint8_t>{'n', 'e', 'w'}));
  EXPECT_EQ(Listing(dir), (std::vector<std::string>{"doc.QZD", "doc.txt"}));
}

// A crafted file names where decoding writes: only a full path of this system without "."
// or ".." parts is taken, and anything else writes nothing unless the user names the place.
TEST(DecodeFile, TakesOnlyFullStoredPathsOfThisSystem) {
  const std::string dir = ScratchDir();
  const std::string native = StoredPath::kNative == StoredPath::Style::Windows ? dir + "..\\" : dir + "../";
  const struct {
    std::string stored;
    StoredPath::Problem problem;
  } cases[] = {
      {"x.txt", StoredPath::Problem::NotAbsolute},
      {"..\\x.txt", StoredPath::Problem::NotAbsolute},
      {"../x.txt", StoredPath::Problem::NotAbsolute},
      {native + "x.txt", StoredPath::Problem::DotComponent},
      {dir + "./x.txt", StoredPath::Problem::DotComponent},
      {StoredPath::kNative == StoredPath::Style::Windows ? "/tmp/x.txt" : "C:\\Users\\x.txt",
       StoredPath::Problem::NotAbsolute},
  };
  for (const auto& c : cases) {
    std::vector<std::uint8_t> image = RandomBytes(64, 3);
    BuildEncodedImage(image, c.stored, KeySchedule("k"));
    WriteBytes(dir + "crafted.QZD", image);
    const EncodedFileOutcome outcome = DecodeEncodedFile(dir + "crafted.QZD", "k");
    EXPECT_EQ(outcome.status, EncodedFileOutcome::Status::UnsafePath) << c.stored;
    EXPECT_EQ(outcome.pathProblem, c.problem) << c.stored;
    EXPECT_EQ(outcome.storedPath, c.stored);
    EXPECT_EQ(Listing(dir), std::vector<std::string>{"crafted.QZD"}) << c.stored;
    DecodeOptions options;
    options.to = dir + "chosen.bin";
    EXPECT_TRUE(DecodeEncodedFile(dir + "crafted.QZD", "k", options).ok()) << "with a place named: " << c.stored;
    EXPECT_EQ(ReadBytes(dir + "chosen.bin"), RandomBytes(64, 3));
    std::filesystem::remove(dir + "chosen.bin");
  }
}

TEST(StoredPath, FullPathsOfEachSystem) {
  using P = StoredPath::Problem;
  using S = StoredPath::Style;
  const struct {
    const char* path;
    S style;
    P problem;
  } cases[] = {
      {"C:\\Users\\me\\notes.txt", S::Windows, P::None},
      {"c:\\x", S::Windows, P::None},
      {"\\\\server\\share\\dir\\x.doc", S::Windows, P::None},
      {"C:\\a\\...\\b", S::Windows, P::DotComponent},
      {"C:\\a\\..\\b", S::Windows, P::DotComponent},
      {"C:\\a/../b", S::Windows, P::DotComponent},
      {"C:\\a\\.\\b", S::Windows, P::DotComponent},
      {"C:\\a\\.. \\b", S::Windows, P::DotComponent},
      {"C:\\a\\.hidden", S::Windows, P::None},
      {"C:\\a\\b.", S::Windows, P::None},
      {"C:x.txt", S::Windows, P::NotAbsolute},
      {"C:/x.txt", S::Windows, P::NotAbsolute},
      {"\\x.txt", S::Windows, P::NotAbsolute},
      {"x.txt", S::Windows, P::NotAbsolute},
      {"\\\\?\\C:\\x", S::Windows, P::NotAbsolute},
      {"\\\\.\\PhysicalDrive0", S::Windows, P::NotAbsolute},
      {"\\\\server", S::Windows, P::NotAbsolute},
      {"\\\\\\share\\x", S::Windows, P::NotAbsolute},
      {"/home/me/x", S::Windows, P::NotAbsolute},
      {"C:\\a\\b.txt:stream", S::Windows, P::BadCharacter},
      {"C:\\a\\b?.txt", S::Windows, P::BadCharacter},
      {"/home/me/notes.txt", S::Posix, P::None},
      {"/home/me/a\\..\\b", S::Posix, P::None},
      {"/home/me/../x", S::Posix, P::DotComponent},
      {"/home/./x", S::Posix, P::DotComponent},
      {"/home/me/..", S::Posix, P::DotComponent},
      {"/home/me/...", S::Posix, P::None},
      {"home/me", S::Posix, P::NotAbsolute},
      {"C:\\Users\\me\\x", S::Posix, P::NotAbsolute},
      {"", S::Posix, P::Empty},
      {"/a\tb", S::Posix, P::BadCharacter},
  };
  for (const auto& c : cases) EXPECT_EQ(StoredPath::Check(c.path, c.style), c.problem) << c.path;
  EXPECT_EQ(StoredPath::Check("/" + std::string(259, 'x')), P::TooLong);
  // Paths are UTF-8: no byte of a character beyond ASCII is a separator, the length is counted
  // in UTF-16 units as the system counts it, and bytes that are no UTF-8 are refused.
  const std::string kana = "\xE3\x83\xBD";  // U+30FD, "\x83\x5C" in Shift-JIS
  const std::string emoji = "\xF0\x9F\x98\x80";  // U+1F600, two UTF-16 units
  EXPECT_EQ(StoredPath::Check("C:\\" + kana + "\\x", S::Windows), P::None);
  EXPECT_EQ(StoredPath::Check("/" + kana + emoji, S::Posix), P::None);
  EXPECT_EQ(StoredPath::Check("/" + std::string(258, 'x'), S::Posix), P::None);
  std::string japanese = "/";
  for (int i = 0; i < 258; ++i) japanese += kana;
  EXPECT_EQ(StoredPath::Check(japanese, S::Posix), P::None) << "259 characters in 775 bytes";
  EXPECT_EQ(StoredPath::Check(japanese + kana, S::Posix), P::TooLong);
  std::string emojis = "/";
  for (int i = 0; i < 129; ++i) emojis += emoji;
  EXPECT_EQ(StoredPath::Check(emojis, S::Posix), P::None) << "259 UTF-16 units";
  EXPECT_EQ(StoredPath::Check(emojis + emoji, S::Posix), P::TooLong);
  EXPECT_EQ(StoredPath::Check("C:\\\x83\x5C\\x", S::Windows), P::BadCharacter) << "not UTF-8";
  EXPECT_EQ(StoredPath::Check("/\xED\xA0\x80", S::Posix), P::BadCharacter) << "a lone surrogate";
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
}

// Names in any script keep every character the file system allows; what Windows refuses or
// changes in a name still gives way.
TEST(SafeFileNamePart, KeepsEveryCharacterTheFileSystemAllows) {
  const std::string japanese = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E";  // 日本語
  const std::string emoji = "\xF0\x9F\x8E\x89";                        // U+1F389
  const std::string kana = "\xE3\x83\xBD";                               // "\x83\x5C" in Shift-JIS
  const struct {
    std::string name, safe;
  } cases[] = {
      {japanese + " " + emoji, japanese + " " + emoji},
      {emoji + emoji, emoji + emoji},
      {kana + "\\" + kana, kana + "_" + kana},
      {"\xD0\x9C\xD0\xB8\xD1\x80:" + japanese + "?", "\xD0\x9C\xD0\xB8\xD1\x80_" + japanese + "_"},
      {"Notes.", "Notes_"},
      {"Notes. . ", "Notes____"},
      {"CON", "_CON"},
      {"nul.txt", "_nul.txt"},
      {"com1", "_com1"},
      {"LPT9 ", "LPT9_"},  // not a device name once the space is gone
      {"COM\xC2\xB9", "_COM\xC2\xB9"},
      {"CONSOLE", "CONSOLE"},
      {"COM10", "COM10"},
      {"x\x83\x5Cy", "x__y"},  // bytes that are no UTF-8
      {std::string(199, 'x') + emoji, std::string(199, 'x')},  // never half of a character
      {std::string(198, 'x') + emoji, std::string(198, 'x') + emoji},
  };
  for (const auto& c : cases) EXPECT_EQ(SafeFileNamePart(c.name), c.safe) << c.name;
  std::string many;
  for (int i = 0; i < 300; ++i) many += kana;
  EXPECT_EQ(SafeFileNamePart(many).size(), 200u * 3) << "200 characters, as the file system counts them";
  EXPECT_EQ(EncodedFileName("", emoji + " Party", 0xFB7C5779u), emoji + " PartyFB7C5779.QZD");
}

// As found: an encoded file's name made its path longer than 259 characters in a deep folder.
// The name is cut, never inside a character, so that the path fits.
TEST(EncodedFileName, APathKeepsWithinTheLimitInADeepFolder) {
  const std::string kana = "\xE3\x81\x82";
  std::string many;
  for (int i = 0; i < 300; ++i) many += kana;
  for (const std::size_t depth : {20u, 100u, 200u, 230u, 240u, 244u}) {
    const std::string folder = "C:\\" + std::string(depth - 4, 'd') + "\\";
    for (const std::string& name : {std::string(250, 'n'), many, std::string("CON")}) {
      for (const int number : {1, 12}) {
        const std::string path = EncodedFileName(folder, name, 0x1A2B3C4Du, number);
        const std::size_t units = CodePage::Utf8ToUtf16(path).size();
        EXPECT_LE(units, 259u) << depth << " " << number;
        EXPECT_TRUE(CodePage::IsUtf8(path)) << "cut inside a character";
        EXPECT_EQ(path.compare(0, folder.size(), folder), 0);
        if (depth <= 20 && name.size() >= 250) EXPECT_EQ(CodePage::Utf8ToUtf16(path.substr(folder.size())).size(),
                                   200u + 8 + 4 + (number > 1 ? 3 : 0)) << "a short folder keeps 200 characters";
        EXPECT_FALSE(DevicePath::IsDeviceName(path.substr(folder.size()))) << path;
      }
    }
  }
  EXPECT_EQ(EncodedFileName("C:\\" + std::string(242, 'd') + "\\", "Notes", 0x1A2B3C4Du),
            "C:\\" + std::string(242, 'd') + "\\N1A2B3C4D.QZD");
}

// A new item's encoded file is named after the display name and the content's CRC, from the
// single pass that encodes it, and never takes another item's file.
TEST(EncodeNewFile, NamesTheFileAfterNameAndCrcAndNeverTakesAnotherItemsFile) {
  const std::string dir = ScratchDir();
  const std::string out = dir + "out" + std::string(1, std::filesystem::path::preferred_separator);
  std::filesystem::create_directories(out);
  WriteBytes(dir + "empty.txt", {});
  EXPECT_EQ(EncodeNewFile(dir + "empty.txt", {out}, "Empty", "k").path, out + "Empty00000000.QZD");
  WriteBytes(dir + "check.txt", {'1', '2', '3', '4', '5', '6', '7', '8', '9'});
  EXPECT_EQ(EncodeNewFile(dir + "check.txt", {out}, "Notes", "k").path, out + "NotesCBF43926.QZD");
  EXPECT_EQ(EncodeNewFile(dir + "check.txt", {out}, "..\\up", "k").path, out + ".._upCBF43926.QZD");
  const auto first = ReadBytes(out + "NotesCBF43926.QZD");
  WriteBytes(out + "NotesCBF43926_2.QZD", {2});
  EXPECT_EQ(EncodeNewFile(dir + "check.txt", {out}, "Notes", "k").path, out + "NotesCBF43926_3.QZD");
  EXPECT_EQ(ReadBytes(out + "NotesCBF43926.QZD"), first);
  EXPECT_EQ(ReadBytes(out + "NotesCBF43926_2.QZD"), std::vector<std::uint8_t>{2});
  EXPECT_EQ(EncodedFileName(out, "a/b", 0x1A2B3C4Du, 12), out + "a_b1A2B3C4D_12.QZD");
  std::string restored;
  std::filesystem::remove(dir + "check.txt");
  ASSERT_TRUE(DecodeFile(out + "NotesCBF43926_3.QZD", "k", restored));
  EXPECT_EQ(restored, dir + "check.txt");
  EXPECT_EQ(Listing(out).size(), 5u);
}

// The program's folder will not take new files (Program Files): the next folder is made and used.
TEST(EncodeNewFile, UsesTheFallbackFolderWhenTheFirstRefusesNewFiles) {
  const std::string dir = ScratchDir();
  const char sep = std::filesystem::path::preferred_separator;
  const std::string program = dir + "program" + sep, appData = dir + "appdata" + sep + "Velta" + sep;
  std::filesystem::create_directories(program);
  WriteBytes(dir + "doc.txt", RandomBytes(5000, 8));
  FaultyFiles files(Files());
  files.deniedFolder = program;
  const EncodedFileOutcome outcome = EncodeNewFile(dir + "doc.txt", {program, appData}, "Doc", "k", files);
  ASSERT_TRUE(outcome.ok());
  EXPECT_EQ(outcome.path.rfind(appData, 0), 0u) << outcome.path;
  EXPECT_TRUE(Listing(program).empty());
  EXPECT_EQ(Listing(appData).size(), 1u);
  // Refused in every folder: nothing is written and the reason is told.
  files.deniedFolder = dir;
  const EncodedFileOutcome refused = EncodeNewFile(dir + "doc.txt", {program}, "Doc", "k", files);
  EXPECT_EQ(refused.status, EncodedFileOutcome::Status::WriteFailed);
  EXPECT_TRUE(refused.error.denied);
  EXPECT_TRUE(Listing(program).empty());
}

// Cancelling between chunks: no encoded or restored file, and no temporary one.
TEST(EncodeFile, CancelLeavesNothingBehind) {
  const std::string dir = ScratchDir();
  const auto content = RandomBytes(2 * kEncodedChunkSize + 5, 4);
  WriteBytes(dir + "big.bin", content);
  ASSERT_TRUE(EncodeFile(dir + "big.bin", dir + "big.QZD", "k"));
  const auto encoded = ReadBytes(dir + "big.QZD");

  // The user presses Cancel once the first chunk is written.
  auto cancelling = [](FaultyFiles& files, FileProgress& progress) {
    files.afterWrite = [&progress](long long) { progress.cancelled = true; };
  };
  FileProgress encoding;
  FaultyFiles files(Files());
  cancelling(files, encoding);
  EXPECT_EQ(EncodeFileTo(dir + "big.bin", dir + "big.QZD", "k", files, &encoding).status,
            EncodedFileOutcome::Status::Cancelled);
  EXPECT_EQ(encoding.done.load(), kEncodedChunkSize);
  FileProgress adding;
  FaultyFiles addFiles(Files());
  cancelling(addFiles, adding);
  EXPECT_EQ(EncodeNewFile(dir + "big.bin", {dir}, "Big", "k", addFiles, &adding).status,
            EncodedFileOutcome::Status::Cancelled);
  std::filesystem::remove(dir + "big.bin");
  FileProgress decoding;
  FaultyFiles decodeFiles(Files());
  cancelling(decodeFiles, decoding);
  EXPECT_EQ(DecodeEncodedFile(dir + "big.QZD", "k", {}, decodeFiles, &decoding).status,
            EncodedFileOutcome::Status::Cancelled);
  EXPECT_EQ(decoding.done.load(), kEncodedChunkSize);
  EXPECT_EQ(Listing(dir), std::vector<std::string>{"big.QZD"});
  EXPECT_EQ(ReadBytes(dir + "big.QZD"), encoded);

  // Uncancelled, the progress reaches the whole content.
  FileProgress progress;
  ASSERT_TRUE(DecodeEncodedFile(dir + "big.QZD", "k", {}, Files(), &progress).ok());
  EXPECT_EQ(progress.total.load(), content.size());
  EXPECT_EQ(progress.done.load(), content.size());
  EXPECT_EQ(progress.Percent(), 100);
}

TEST(FileCrc32, ReportsAReadErrorInsteadOfACrc) {
  const std::string dir = ScratchDir();
  WriteBytes(dir + "data.bin", RandomBytes(3 << 20, 1));
  FaultyFiles files(Files());
  files.readFailsAfter = 1 << 20;
  FileError error;
  EXPECT_FALSE(FileCrc32(dir + "data.bin", files, &error));
  EXPECT_FALSE(error.message.empty());
  EXPECT_FALSE(FileCrc32(dir, Files(), &error)) << "a folder";
  EXPECT_FALSE(error.message.empty());
  EXPECT_FALSE(FileCrc32(dir + "absent.bin"));
  EXPECT_EQ(EncodeFileTo(dir + "data.bin", dir + "data.QZD", "k", files).status, EncodedFileOutcome::Status::Unreadable);
  EXPECT_EQ(Listing(dir), std::vector<std::string>{"data.bin"});
}

}  // namespace
