// Whether two names are one file, decided by volume and file index: every spelling Windows
// takes for the encoded file (short name, case, trailing dot, \\?\, \\.\, doubled separators)
// and its links are refused as decode's target and as the path stored in an encoded file.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "launcher/file_encoding.h"
#include "launcher_test_files.h"
#include "storage/win32_file_access.h"
#include "win/wide_text.h"

namespace {

struct Spelling {
  std::string what;
  std::string path;
};

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  return text;
}

// `dir` + `leaf` (an existing file) under every other name, links made beside it. A link the
// system refuses to make is left out, and said.
std::vector<Spelling> SpellingsOf(const std::string& dir, const std::string& leaf) {
  const std::string path = dir + leaf;
  std::vector<Spelling> spellings = {
      {"the name itself", path},
      {"another case", Upper(path)},
      {"a trailing dot", path + "."},
      {"\\\\?\\", "\\\\?\\" + path},
      {"\\\\.\\", "\\\\.\\" + path},
      {"doubled separators", dir + "\\" + leaf},
      {"forward slashes", [&] {
         std::string s = path;
         for (char& c : s) c = c == '\\' ? '/' : c;
         return s;
       }()},
  };
  wchar_t shortName[MAX_PATH] = {};
  if (::GetShortPathNameW(WideText::From(path).c_str(), shortName, MAX_PATH) > 0 && WideText::ToUtf8(shortName) != path)
    spellings.push_back({"the short name", WideText::ToUtf8(shortName)});
  else
    ADD_FAILURE() << "no short name for " << path;
  if (::CreateHardLinkW(WideText::From(dir + "hard.QZD").c_str(), WideText::From(path).c_str(), nullptr))
    spellings.push_back({"a hard link", dir + "hard.QZD"});
  else
    ADD_FAILURE() << "no hard link: " << ::GetLastError();
  // Wine opens a link made by CreateSymbolicLinkW as the link, not its target, where Windows
  // follows it; there the end-to-end script links from the Unix side (ln -s), which Wine follows.
  const bool wine = ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
  if (wine)
    std::printf("(symbolic links: see tests/e2e/cli_encoded_files.sh under Wine)\n");
  else if (::CreateSymbolicLinkW(WideText::From(dir + "symbolic.QZD").c_str(), WideText::From(path).c_str(), 0))
    spellings.push_back({"a symbolic link", dir + "symbolic.QZD"});
  else
    std::printf("(no symbolic link here: %lu)\n", ::GetLastError());
  return spellings;
}

std::string WinDir() {
  std::string dir = ScratchDir();
  for (char& c : dir) c = c == '/' ? '\\' : c;
  return dir;
}

TEST(PathIdentityWin, DecodeNeverWritesOverTheEncodedFileUnderAnyName) {
  FileAccess& files = Win32FileAccess::Instance();
  const std::string dir = WinDir();
  const std::string plain = dir + "note.txt";
  const std::string encoded = dir + "A long encoded name.QZD";
  WriteBytes(plain, {'k', 'e', 'e', 'p'});
  ASSERT_TRUE(EncodeFileTo(plain, encoded, "k", files).ok());
  const auto bytes = ReadBytes(encoded);
  for (const Spelling& s : SpellingsOf(dir, "A long encoded name.QZD")) {
    SCOPED_TRACE(s.what + ": " + s.path);
    EXPECT_TRUE(files.SameFile(s.path, encoded));
    DecodeOptions options;
    options.to = s.path;
    EXPECT_EQ(DecodeEncodedFile(encoded, "k", options, files).status, EncodedFileOutcome::Status::TargetIsProtected);
    EXPECT_EQ(ReadBytes(encoded), bytes) << "the encoded file is as it was";
  }
  EXPECT_FALSE(files.SameFile(plain, encoded));
}

TEST(PathIdentityWin, AStoredPathNamingTheEncodedFileOrAKeptFileIsRefused) {
  FileAccess& files = Win32FileAccess::Instance();
  const std::string dir = WinDir();
  const std::string self = dir + "A long encoded name.QZD";
  WriteBytes(self, {});
  int stored = 0;
  for (const Spelling& s : SpellingsOf(dir, "A long encoded name.QZD")) {
    SCOPED_TRACE(s.what + ": " + s.path);
    WriteBytes(self, {'p', 'l', 'a', 'i', 'n'});
    const EncodedFileOutcome made = EncodeFileTo(s.path, dir + "made.QZD", "k", files);
    if (made.status == EncodedFileOutcome::Status::UnsafePath) continue;  // a spelling never stored
    ASSERT_TRUE(made.ok());
    ++stored;
    ASSERT_TRUE(::CopyFileW(WideText::From(dir + "made.QZD").c_str(), WideText::From(self).c_str(), FALSE));
    const auto bytes = ReadBytes(self);
    DecodeOptions options;
    EXPECT_EQ(DecodeEncodedFile(self, "k", options, files).status, EncodedFileOutcome::Status::TargetIsProtected);
    EXPECT_EQ(ReadBytes(self), bytes);
    options.keep = {self};
    EXPECT_EQ(DecodeEncodedFile(dir + "made.QZD", "k", options, files).status,
              EncodedFileOutcome::Status::TargetIsProtected);
    EXPECT_EQ(ReadBytes(self), bytes);
  }
  EXPECT_GE(stored, 4);
}

}  // namespace
