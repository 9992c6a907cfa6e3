// The path inside an encoded file in any script: in the writer's code page when that holds it
// (byte for byte as earlier builds wrote it), as marked UTF-8 otherwise, which a reader of
// the earlier layout refuses as damaged. And the key, which stays bytes of the code page.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "launcher/ascii_code_page.h"
#include "launcher/encoded_image.h"
#include "launcher/file_encoding.h"
#include "launcher/keyed_block_transform.h"
#include "launcher/md5.h"
#include "storage/memory_file_access.h"
#include "whole_buffer_image.h"

namespace {

#ifdef _WIN32
const std::string kFolder = "C:\\data\\";
#else
const std::string kFolder = "/data/";
#endif
const std::string kJapanese = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E";  // 日本語
const std::string kEmoji = "\xF0\x9F\x8E\x89";                        // U+1F389
const std::string kContent = "what the file holds\r\n";

// The plain bytes of an encoded file (content | path | length word | digest).
std::vector<std::uint8_t> Plain(const std::string& encoded, std::string_view key) {
  std::vector<std::uint8_t> bytes(encoded.begin(), encoded.end());
  KeyedBlockTransform(bytes.data(), bytes.size(), KeySchedule(key), false);
  return bytes;
}

// Encodes content with `tail` (path bytes and length word) as it stands, for crafted files.
std::string Crafted(const std::string& pathBytes, std::uint32_t word, std::string_view key) {
  std::vector<std::uint8_t> bytes(kContent.begin(), kContent.end());
  const std::string digest = Md5Hex(bytes.data(), bytes.size());
  bytes.insert(bytes.end(), pathBytes.begin(), pathBytes.end());
  for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(word >> (8 * i)));
  bytes.insert(bytes.end(), digest.begin(), digest.end());
  KeyedBlockTransform(bytes.data(), bytes.size(), KeySchedule(key), true);
  return std::string(bytes.begin(), bytes.end());
}

struct CodePageCase {
  const char* label;
  const CodePage* page;
};

std::vector<CodePageCase> CodePages() {
  static std::vector<std::unique_ptr<CodePage>> held;
  std::vector<CodePageCase> pages{{"ascii", &AsciiCodePage::Instance()}, {"utf-8", &CodePage::Utf8()}};
#ifndef _WIN32
  for (unsigned id : {1252u, 932u}) {
    if (held.size() < 2) held.push_back(CodePage::Native(id));
    if (held[id == 1252u ? 0 : 1]) pages.push_back({id == 1252u ? "1252" : "932", held[id == 1252u ? 0 : 1].get()});
  }
#endif
  return pages;
}

// Each name in each writer's code page: stored as that code page's bytes when it holds the
// path, else marked UTF-8; the same code page reads it back to the same name, and decoding to
// the stored path writes exactly that name.
TEST(StoredPathText, StoredInTheCodePageWhenItHoldsThePathElseAsMarkedUtf8) {
  const struct {
    std::string name;
    std::vector<std::string> unmarkedIn;  // the code pages that hold it
  } names[] = {
      {"notes.txt", {"ascii", "utf-8", "1252", "932"}},
      {"caf\xC3\xA9.txt", {"utf-8", "1252"}},
      {kJapanese + ".txt", {"utf-8", "932"}},
      {kJapanese + kEmoji + ".txt", {"utf-8"}},
  };
  for (const auto& page : CodePages()) {
    for (const auto& n : names) {
      SCOPED_TRACE(std::string(page.label) + " " + n.name);
      MemoryFileAccess files;
      const std::string source = kFolder + n.name;
      files.Put(source, kContent);
      const EncodedFileOutcome encoded = EncodeFileTo(source, kFolder + "x.QZD", "k", files, nullptr, *page.page);
      ASSERT_TRUE(encoded.ok());
      const auto plain = Plain(files.Get(kFolder + "x.QZD"), "k");
      bool unmarked = false;
      for (const auto& label : n.unmarkedIn) unmarked = unmarked || label == page.label;
      std::string expected;
      if (unmarked) {
        ASSERT_TRUE(page.page->FromUtf8(source, expected));
      } else {
        expected = source;
      }
      const std::size_t at = kContent.size();
      EXPECT_EQ(std::string(plain.begin() + at, plain.begin() + at + expected.size()), expected);
      const std::uint8_t* word = plain.data() + at + expected.size();
      EXPECT_EQ(word[0] | word[1] << 8, static_cast<int>(expected.size()));
      EXPECT_EQ(std::string(word + 2, word + 4), unmarked ? std::string(2, '\0') : std::string("U8"));

      FileError error;
      ASSERT_TRUE(files.Remove(source, error));
      const EncodedFileOutcome decoded = DecodeEncodedFile(kFolder + "x.QZD", "k", {}, files, nullptr, *page.page);
      ASSERT_TRUE(decoded.ok());
      EXPECT_EQ(decoded.path, source);
      EXPECT_EQ(files.Get(source), kContent);
      EXPECT_EQ(files.Names().size(), 2u);
    }
  }
}

// A reader of the earlier layout (the checks of whole_buffer_image.h, as earlier builds made
// them, and this build's own before a marked path) takes the marked length word for a length
// above 259 and refuses the file as damaged: it never reads another path from it.
TEST(StoredPathText, AReaderOfTheEarlierLayoutRefusesAMarkedPath) {
  MemoryFileAccess files;
  const std::string source = kFolder + kJapanese + kEmoji + ".txt";
  files.Put(source, kContent);
  ASSERT_TRUE(EncodeFileTo(source, kFolder + "new.QZD", "k", files, nullptr, AsciiCodePage::Instance()).ok());
  files.Put(kFolder + "x.txt", kContent);
  ASSERT_TRUE(EncodeFileTo(kFolder + "x.txt", kFolder + "old.QZD", "k", files).ok());

  DecodedImage decoded;
  const std::string marked = files.Get(kFolder + "new.QZD");
  std::vector<std::uint8_t> bytes(marked.begin(), marked.end());
  EXPECT_FALSE(OpenEncodedImage(bytes, KeySchedule("k"), decoded)) << "refused as damaged";
  const std::string plain = files.Get(kFolder + "old.QZD");
  bytes.assign(plain.begin(), plain.end());
  ASSERT_TRUE(OpenEncodedImage(bytes, KeySchedule("k"), decoded)) << "a path of the code page is read as always";
  EXPECT_EQ(decoded.path, kFolder + "x.txt");

  // The length word as a reader of either layout sees it.
  const auto clear = Plain(marked, "k");
  const std::uint8_t* word = clear.data() + clear.size() - kEncodedTrailerSize;
  const std::uint32_t a = word[0] | word[1] << 8 | word[2] << 16 | static_cast<std::uint32_t>(word[3]) << 24;
  EXPECT_EQ(a, kUtf8PathMark | static_cast<std::uint32_t>(source.size()));
  EXPECT_GT(a, kMaxStoredPathLength);
}

// Marked trailers that a damaged or crafted file could hold: refused as not encoded, with
// nothing written; the well-formed one decodes (the check of the crafting itself).
TEST(StoredPathText, DamagedOrCraftedMarkedPathsAreRefusedWithNothingWritten) {
  const std::string good = kFolder + kJapanese + ".txt";
  const auto word = [](std::size_t n) { return kUtf8PathMark | static_cast<std::uint32_t>(n); };
  const struct {
    const char* label;
    std::string path;
    std::uint32_t word;
  } cases[] = {
      {"empty", "", word(0)},
      {"longer than the file", good, word(good.size() + 200)},
      {"not UTF-8", kFolder + "\xC3\x28.txt", word(kFolder.size() + 6)},
      {"an overlong form", kFolder + "\xC0\xAF.txt", word(kFolder.size() + 6)},
      {"a surrogate", kFolder + "\xED\xA0\x80.txt", word(kFolder.size() + 7)},
      {"a control character", kFolder + "a\x01.txt", word(kFolder.size() + 6)},
      {"another upper half", good, 0x38560000u | static_cast<std::uint32_t>(good.size())},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    MemoryFileAccess files;
    files.Put("/in.QZD", Crafted(c.path, c.word, "k"));
    EncodedFileInfo info;
    EXPECT_EQ(InspectEncodedFile("/in.QZD", "k", info, true, files).status, EncodedFileOutcome::Status::NotEncoded);
    for (const std::string& to : {std::string(), std::string("/out")}) {
      DecodeOptions options;
      options.to = to;
      EXPECT_EQ(DecodeEncodedFile("/in.QZD", "k", options, files).status, EncodedFileOutcome::Status::NotEncoded);
      EXPECT_EQ(files.Names().size(), 1u);
    }
  }
  MemoryFileAccess files;
  files.Put("/in.QZD", Crafted(good, word(good.size()), "k"));
  const EncodedFileOutcome decoded = DecodeEncodedFile("/in.QZD", "k", {}, files);
  ASSERT_TRUE(decoded.ok());
  EXPECT_EQ(decoded.path, good);
  EXPECT_EQ(files.Get(good), kContent);
  // A marked path is checked like any other before it is written to.
  files.Put("/up.QZD", Crafted(kFolder + "a/../" + kJapanese, word(kFolder.size() + 5 + kJapanese.size()), "k"));
  EXPECT_EQ(DecodeEncodedFile("/up.QZD", "k", {}, files).pathProblem, StoredPath::Problem::DotComponent);
  EXPECT_EQ(files.Names().size(), 3u);
}

// A path stored in a code page this reader does not know (natively: anything but ASCII) is
// shown, not guessed at: decoding to it is refused, --to still recovers the content.
TEST(StoredPathText, AnUnmarkedPathTheReaderCannotReadIsShownNotGuessed) {
  MemoryFileAccess files;
  const std::string bytes = kFolder + "caf\xE9.txt";  // "café" in code page 1252
  files.Put("/in.QZD", Crafted(bytes, static_cast<std::uint32_t>(bytes.size()), "k"));
  const EncodedFileOutcome refused = DecodeEncodedFile("/in.QZD", "k", {}, files, nullptr, AsciiCodePage::Instance());
  EXPECT_EQ(refused.status, EncodedFileOutcome::Status::UnsafePath);
  EXPECT_EQ(refused.pathProblem, StoredPath::Problem::NotText);
  EXPECT_EQ(refused.storedPath, kFolder + "caf\\xE9.txt");
  EXPECT_EQ(files.Names().size(), 1u);
  EncodedFileInfo info;
  ASSERT_TRUE(InspectEncodedFile("/in.QZD", "k", info, true, files).ok());
  EXPECT_FALSE(info.pathReadable);
  EXPECT_EQ(info.storedPath, kFolder + "caf\\xE9.txt");
  DecodeOptions options;
  options.to = "/out";
  ASSERT_TRUE(DecodeEncodedFile("/in.QZD", "k", options, files).ok());
  EXPECT_EQ(files.Get("/out"), kContent);
#ifndef _WIN32
  const auto cp1252 = CodePage::Native(1252);
  ASSERT_TRUE(cp1252);
  ASSERT_TRUE(InspectEncodedFile("/in.QZD", "k", info, true, files, *cp1252).ok());
  EXPECT_EQ(info.storedPath, kFolder + "caf\xC3\xA9.txt");
#endif
}

// The key stays the bytes of the code page, as earlier builds took it; a character the code
// page lacks is refused rather than best-fitted into another key.
TEST(StoredPathText, KeysAreCodePageBytesAndACharacterTheCodePageLacksIsRefused) {
  std::string bytes;
  EXPECT_TRUE(KeyBytes("pass word", AsciiCodePage::Instance(), bytes));
  EXPECT_EQ(bytes, "pass word");
  EXPECT_FALSE(KeyBytes("p\xC3\xA4ss", AsciiCodePage::Instance(), bytes));
  EXPECT_FALSE(KeyBytes(kEmoji, AsciiCodePage::Instance(), bytes));
#ifndef _WIN32
  const auto cp1252 = CodePage::Native(1252), cp932 = CodePage::Native(932);
  ASSERT_TRUE(cp1252 && cp932);
  const struct {
    const CodePage* page;
    std::string text;
    bool taken;
    std::string bytes;
  } cases[] = {
      {cp1252.get(), "p\xC3\xA4ss", true, "p\xE4ss"},
      {cp1252.get(), "\xEF\xBD\x86ull", false, ""},  // a full-width "f": no best-fit "f"
      {cp1252.get(), kJapanese, false, ""},
      {cp932.get(), kJapanese, true, "\x93\xFA\x96\x7B\x8C\xEA"},
      {cp932.get(), kJapanese + kEmoji, false, ""},
  };
  for (const auto& c : cases) {
    bytes.clear();
    EXPECT_EQ(KeyBytes(c.text, *c.page, bytes), c.taken) << c.text;
    if (c.taken) {
      EXPECT_EQ(bytes, c.bytes) << c.text;
    }
  }
#endif
}

}  // namespace
