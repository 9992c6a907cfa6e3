// Whether two names are one file is decided by the file's identity, for decode's --to and for
// the path stored in an encoded file: every other spelling and every link of the encoded file is
// refused, and its bytes stay as they were. (Natively; the Windows spellings are in the
// Windows tests.)
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "launcher/file_encoding.h"
#include "launcher_test_files.h"
#include "storage/std_file_access.h"

#ifndef _WIN32

namespace {

struct Spelling {
  const char* what;
  std::string path;
};

// The encoded file `target` under other names, links made beside it.
std::vector<Spelling> SpellingsOf(const std::string& dir, const std::string& leaf) {
  std::filesystem::create_symlink(dir + leaf, dir + "symbolic.QZD");
  std::filesystem::create_hard_link(dir + leaf, dir + "hard.QZD");
  std::filesystem::create_directory_symlink(dir, dir + "folder_link");
  std::string doubled = dir + leaf;
  doubled.insert(doubled.rfind('/'), "/");
  return {
      {"the name itself", dir + leaf},
      {"doubled separators", doubled},
      {"a symbolic link", dir + "symbolic.QZD"},
      {"a hard link", dir + "hard.QZD"},
      {"through a linked folder", dir + "folder_link/" + leaf},
  };
}

TEST(PathIdentity, DecodeNeverWritesOverTheEncodedFileUnderAnyName) {
  const std::string dir = ScratchDir();
  const std::string plain = dir + "note.txt";
  const std::string encoded = dir + "note.QZD";
  WriteBytes(plain, {'k', 'e', 'e', 'p'});
  ASSERT_TRUE(EncodeFileTo(plain, encoded, "k", StdFileAccess::Instance()).ok());
  const auto bytes = ReadBytes(encoded);
  for (const Spelling& s : SpellingsOf(dir, "note.QZD")) {
    SCOPED_TRACE(s.what);
    EXPECT_TRUE(StdFileAccess::Instance().SameFile(s.path, encoded));
    DecodeOptions options;
    options.to = s.path;
    const EncodedFileOutcome outcome = DecodeEncodedFile(encoded, "k", options, StdFileAccess::Instance());
    EXPECT_EQ(outcome.status, EncodedFileOutcome::Status::TargetIsProtected);
    EXPECT_EQ(ReadBytes(encoded), bytes) << "the encoded file is as it was";
  }
  EXPECT_FALSE(StdFileAccess::Instance().SameFile(plain, encoded));
  EXPECT_FALSE(StdFileAccess::Instance().SameFile(dir + "missing", dir + "missing")) << "no file, no identity";
}

// A crafted file whose stored path leads to the encoded file itself, or to a kept file (the
// settings file), is refused even when replacing is allowed.
TEST(PathIdentity, AStoredPathNamingTheEncodedFileOrAKeptFileIsRefused) {
  const std::string dir = ScratchDir();
  WriteBytes(dir + "self.QZD", {});
  for (const Spelling& s : SpellingsOf(dir, "self.QZD")) {
    SCOPED_TRACE(s.what);
    WriteBytes(dir + "self.QZD", {'p', 'l', 'a', 'i', 'n'});
    const EncodedFileOutcome made = EncodeFileTo(s.path, dir + "made.QZD", "k", StdFileAccess::Instance());
    if (made.status == EncodedFileOutcome::Status::UnsafePath) continue;  // a spelling never stored
    ASSERT_TRUE(made.ok());
    std::filesystem::copy_file(dir + "made.QZD", dir + "self.QZD", std::filesystem::copy_options::overwrite_existing);
    const auto bytes = ReadBytes(dir + "self.QZD");
    DecodeOptions options;
    options.replace = true;
    EXPECT_EQ(DecodeEncodedFile(dir + "self.QZD", "k", options, StdFileAccess::Instance()).status,
              EncodedFileOutcome::Status::TargetIsProtected);
    EXPECT_EQ(ReadBytes(dir + "self.QZD"), bytes);
    // The same stored path, read from another encoded file, when that path is a kept file.
    const auto settings = ReadBytes(dir + "self.QZD");
    options.keep = {dir + "self.QZD"};
    EXPECT_EQ(DecodeEncodedFile(dir + "made.QZD", "k", options, StdFileAccess::Instance()).status,
              EncodedFileOutcome::Status::TargetIsProtected);
    EXPECT_EQ(ReadBytes(dir + "self.QZD"), settings);
  }
}

}  // namespace

#endif
