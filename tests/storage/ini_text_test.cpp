// Settings files as editors and other programs leave them: any line ends, a
// byte-order mark, indented headers, NUL bytes, UTF-16. Reading finds every
// value; a write changes only its own line and adds lines with the file's own
// line end; a file the store cannot write as it is stays untouched.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "storage/ini_profile_store.h"
#include "storage/scratch_dir.h"

namespace {

// A file as lines, each with its own line end, so that a test can say what a
// change does line by line.
struct Line {
  std::string text;
  std::string end;
};
using Lines = std::vector<Line>;

std::string Join(const Lines& lines) {
  std::string text;
  for (const Line& line : lines) text += line.text + line.end;
  return text;
}

// The values a plain reader finds: "[name]" lines start sections, the first
// "key=value" of a section counts.
struct Read {
  std::string section, key, value;
};
std::vector<Read> ValuesOf(const Lines& lines) {
  std::vector<Read> reads;
  std::string section;
  for (const Line& line : lines) {
    if (!line.text.empty() && line.text.front() == '[') {
      section = line.text.substr(1, line.text.size() - 2);
      continue;
    }
    const auto eq = line.text.find('=');
    if (section.empty() || eq == std::string::npos) continue;
    const std::string key = line.text.substr(0, eq);
    bool seen = false;
    for (const Read& r : reads) seen = seen || (r.section == section && r.key == key);
    if (!seen) reads.push_back({section, key, line.text.substr(eq + 1)});
  }
  return reads;
}

struct EndStyle {
  const char* name;
  std::vector<std::string> ends;  // used in turn, line by line
};

const EndStyle kStyles[] = {
    {"CRLF", {"\r\n"}},
    {"LF", {"\n"}},
    {"CR", {"\r"}},
    {"mixed", {"\n", "\r\n", "\r", "\r\n"}},  // the first one, LF, is the file's own
};

Lines Fixture(const EndStyle& style) {
  const char* texts[] = {
      "[Settings]", "Format=%H:%M", "left=10", "top=-3", "",
      "[Exec_0_0]", "Name=Tool", "Path=C:\\Tools\\tool.exe", "",
      "[Empty]", "",
      "[Adjust]", "left=99", "Server=ntp.example.org",
  };
  Lines lines;
  for (const char* text : texts) {
    lines.push_back({text, style.ends[lines.size() % style.ends.size()]});
    // A CR and an empty line's LF would make one CR LF.
    const std::size_t n = lines.size();
    if (n >= 2 && lines[n - 2].end == "\r" && lines[n - 1].text.empty() && lines[n - 1].end == "\n")
      ADD_FAILURE() << "the fixture is not the lines it says";
  }
  return lines;
}

void PrintTo(const EndStyle& style, std::ostream* os) { *os << style.name; }

std::size_t IndexOf(const Lines& lines, const std::string& text) {
  for (std::size_t i = 0; i < lines.size(); ++i)
    if (lines[i].text == text) return i;
  ADD_FAILURE() << "no line " << text;
  return 0;
}

// One store operation, and what it does to the file's lines (`eol` is the
// file's own line end, for lines it adds).
struct Operation {
  const char* name;
  std::function<void(ProfileStore&)> apply;
  std::function<void(Lines&, const std::string& eol)> expect;
};

const Operation kOperations[] = {
    {"only reads", [](ProfileStore&) {}, [](Lines&, const std::string&) {}},
    {"replaces a value in place", [](ProfileStore& s) { s.WriteInt("Settings", "left", -5); },
     [](Lines& l, const std::string&) { l[IndexOf(l, "left=10")].text = "left=-5"; }},
    {"replaces a value in a later section", [](ProfileStore& s) { s.WriteString("Adjust", "left", ""); },
     [](Lines& l, const std::string&) { l[IndexOf(l, "left=99")].text = "left="; }},
    {"adds a key after its header", [](ProfileStore& s) { s.WriteInt("Exec_0_0", "Pass", 1); },
     [](Lines& l, const std::string& eol) { l.insert(l.begin() + IndexOf(l, "[Exec_0_0]") + 1, {"Pass=1", eol}); }},
    {"adds a key to an empty section", [](ProfileStore& s) { s.WriteInt("Empty", "n", 0); },
     [](Lines& l, const std::string& eol) { l.insert(l.begin() + IndexOf(l, "[Empty]") + 1, {"n=0", eol}); }},
    {"adds a section at the end",
     [](ProfileStore& s) {
       s.WriteString("New", "k", "v");
       s.WriteInt("New", "n", 2);
     },
     [](Lines& l, const std::string& eol) {
       l.insert(l.end(), {{"", eol}, {"[New]", eol}, {"n=2", eol}, {"k=v", eol}});
     }},
    {"deletes a key line", [](ProfileStore& s) { s.DeleteKey("Exec_0_0", "Name"); },
     [](Lines& l, const std::string&) { l.erase(l.begin() + IndexOf(l, "Name=Tool")); }},
    {"deletes a section up to the next header", [](ProfileStore& s) { s.DeleteSection("Exec_0_0"); },
     [](Lines& l, const std::string&) {
       l.erase(l.begin() + IndexOf(l, "[Exec_0_0]"), l.begin() + IndexOf(l, "[Empty]"));
     }},
    {"writes every value again as it is",
     [](ProfileStore& s) {
       s.WriteString("Settings", "Format", "%H:%M");
       s.WriteInt("Settings", "left", 10);
       s.WriteInt("Settings", "top", -3);
       s.WriteString("Exec_0_0", "Name", "Tool");
       s.WriteString("Exec_0_0", "Path", "C:\\Tools\\tool.exe");
       s.WriteInt("Adjust", "left", 99);
       s.WriteString("Adjust", "Server", "ntp.example.org");
     },
     [](Lines&, const std::string&) {}},
};

void PrintTo(const Operation& op, std::ostream* os) { *os << op.name; }

class IniLineEnds : public testing::TestWithParam<std::tuple<EndStyle, Operation>> {};

TEST_P(IniLineEnds, EveryKeyReadsBackAndAWriteChangesOnlyItsOwnLines) {
  const EndStyle& style = std::get<0>(GetParam());
  const Operation& op = std::get<1>(GetParam());
  ScratchDir dir;
  const std::string file = dir.File("Velta.ini");
  const Lines before = Fixture(style);
  Lines after = before;
  op.expect(after, style.ends.front());
  ScratchDir::Write(file, Join(before));
  {
    IniProfileStore store(file);
    for (const Read& r : ValuesOf(before)) EXPECT_EQ(store.GetString(r.section, r.key, "?"), r.value) << r.key;
    EXPECT_EQ(store.GetInt("Settings", "top", 0), -3);
    EXPECT_EQ(store.GetInt("Adjust", "top", 7), 7);  // only in an earlier section
    std::vector<std::string> names;
    store.EnumSections(names);
    EXPECT_EQ(names, (std::vector<std::string>{"Settings", "Exec_0_0", "Empty", "Adjust"}));
    names.clear();
    EXPECT_TRUE(store.EnumKeys("Settings", names));
    EXPECT_EQ(names, (std::vector<std::string>{"Format", "left", "top"}));
    op.apply(store);
    EXPECT_EQ(store.text(), Join(after));
    EXPECT_TRUE(store.Flush());
  }
  EXPECT_EQ(ScratchDir::Read(file), Join(after));

  // The saved file reads as its lines say, and doing the same again changes nothing.
  {
    IniProfileStore store(file);
    for (const Read& r : ValuesOf(after)) EXPECT_EQ(store.GetString(r.section, r.key, "?"), r.value) << r.key;
    op.apply(store);
    EXPECT_TRUE(store.Flush());
  }
  EXPECT_EQ(ScratchDir::Read(file), Join(after));
}

INSTANTIATE_TEST_SUITE_P(
    StylesTimesOperations, IniLineEnds, testing::Combine(testing::ValuesIn(kStyles), testing::ValuesIn(kOperations)),
    [](const testing::TestParamInfo<IniLineEnds::ParamType>& info) {
      std::string name = std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
      for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
      return name;
    });

// As found: a CR-only file lost everything after the first rewritten key, an
// LF-only one had each section appended again at every save.
TEST(IniLineEnds, RepeatedSavesOfTheClockKeepEverySection) {
  for (const char* eol : {"\r", "\n"}) {
    ScratchDir dir;
    const std::string file = dir.File("Velta.ini");
    const std::string text = std::string("[Settings]") + eol + "left=10" + eol + "Font=00" + eol + eol + "[Exec_0_0]" +
                             eol + "Name=Tool" + eol;
    ScratchDir::Write(file, text);
    for (int i = 0; i < 3; ++i) {
      IniProfileStore store(file);
      store.WriteInt("Settings", "left", 10);
      store.WriteString("Settings", "Font", "00");
      store.WriteString("Exec_0_0", "Name", "Tool");
      store.Flush();
    }
    EXPECT_EQ(ScratchDir::Read(file), text) << (eol[0] == '\r' ? "CR" : "LF");
  }
}

// Small sections are searched line by line, large ones through an index:
// either way the first line with a key counts, a deleted key uncovers a later
// line with the same key, and a deleted section a later one with its name.
TEST(IniIndex, SectionsOfAnySizeFindTheirKeysAlike) {
  for (const int size : {2, 15, 16, 17, 40}) {
    SCOPED_TRACE(size);
    ScratchDir dir;
    std::string text = "[S]\r\ndup=first\r\n";
    for (int i = 0; i < size; ++i) text += "k" + std::to_string(i) + "=" + std::to_string(i) + "\r\n";
    text += "dup=second\r\n\r\n[T]\r\nk0=t\r\n\r\n[S]\r\nk0=later\r\nlast=1\r\n";
    const std::string file = dir.File("Velta.ini");
    ScratchDir::Write(file, text);
    IniProfileStore store(file);
    for (int i = 0; i < size; ++i) EXPECT_EQ(store.GetInt("S", "k" + std::to_string(i), -1), i);
    EXPECT_EQ(store.GetString("S", "dup", ""), "first");
    EXPECT_EQ(store.GetString("S", "last", "none"), "none");  // only in the second [S]
    EXPECT_EQ(store.GetString("T", "k0", ""), "t");

    EXPECT_TRUE(store.DeleteKey("S", "dup"));
    EXPECT_EQ(store.GetString("S", "dup", ""), "second");
    EXPECT_TRUE(store.DeleteKey("S", "dup"));
    EXPECT_EQ(store.GetString("S", "dup", "none"), "none");
    EXPECT_FALSE(store.DeleteKey("S", "dup"));
    for (int i = 0; i < 20; ++i) store.WriteInt("S", "new" + std::to_string(i), i);  // a small section grows large
    store.WriteString("S", "dup", "third");
    for (int i = 0; i < 20; ++i) EXPECT_EQ(store.GetInt("S", "new" + std::to_string(i), -1), i);
    EXPECT_EQ(store.GetString("S", "dup", ""), "third");
    EXPECT_EQ(store.GetString("S", "k0", ""), "0");

    store.DeleteSection("S");
    EXPECT_EQ(store.GetString("S", "k0", ""), "later");
    EXPECT_EQ(store.GetString("S", "last", ""), "1");
    store.DeleteSection("S");
    EXPECT_EQ(store.GetString("S", "k0", "none"), "none");
    store.WriteString("S", "k0", "again");
    EXPECT_EQ(store.text(), "[T]\r\nk0=t\r\n\r\n\r\n[S]\r\nk0=again\r\n");  // as before: an empty line more
    store.Flush();
  }
}

TEST(IniBytes, NulBytesAndBinaryGarbageSurviveASave) {
  ScratchDir dir;
  const std::string file = dir.File("Velta.ini");
  const std::string garbage("\x00\x01\xFF\xFE\x00\r\n\x00[x\x00]\r\n", 14);
  const std::string before = std::string("[S]\r\nk=1\r\nbin=a\0b\r\n", 19) + garbage + "[T]\r\nk=2\r\n";
  ScratchDir::Write(file, before);
  {
    IniProfileStore store(file);
    EXPECT_FALSE(store.IsForeignText());
    EXPECT_EQ(store.GetInt("T", "k", 99), 2);  // after the NUL bytes
    EXPECT_EQ(store.GetString("S", "bin", ""), std::string("a\0b", 3));
    store.WriteInt("S", "k", 5);
    store.WriteInt("T", "j", 6);
    store.Flush();
  }
  std::string after = before;
  after.replace(after.find("k=1"), 3, "k=5");
  after.insert(after.find("[T]\r\n") + 5, "j=6\r\n");
  EXPECT_EQ(ScratchDir::Read(file), after);
}

TEST(IniBytes, AUtf16FileIsLeftUntouched) {
  struct Case {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"little-endian", std::string("\xFF\xFE[\0S\0]\0\r\0\n\0k\0=\0" "1\0\r\0\n\0", 22)},
      {"big-endian", std::string("\xFE\xFF\0[\0S\0]\0\r\0\n\0k\0=\0" "1\0\r\0\n", 22)},
      // As found: without the mark the file was read as single-byte text and ruined by a write.
      {"little-endian without the mark", std::string("[\0S\0]\0\r\0\n\0k\0=\0" "1\0\r\0\n\0", 20)},
      {"big-endian without the mark", std::string("\0[\0S\0]\0\r\0\n\0k\0=\0" "1\0\r\0\n", 20)},
      {"without the mark, a section named in kanji",
       std::string("[\0\x42\x66]\0\r\0\n\0k\0=\0" "1\0\r\0\n\0", 20)},
      // An odd length (a last byte cut off or added) was read as single-byte text and ruined by a write.
      {"without the mark, an odd number of bytes", std::string("[\0S\0]\0\r\0\n\0k\0=\0" "1\0\r\0\n", 19)},
  };
  for (const Case& c : cases) {
    ScratchDir dir;
    const std::string file = dir.File("Velta.ini");
    ScratchDir::Write(file, c.bytes);
    const auto mtime = ScratchDir::AgeByAnHour(file);
    {
      IniProfileStore store(file);
      EXPECT_TRUE(store.IsForeignText()) << c.what;
      EXPECT_EQ(store.GetInt("S", "k", 7), 7) << c.what;  // the defaults
      std::vector<std::string> names;
      store.EnumSections(names);
      EXPECT_TRUE(names.empty()) << c.what;
      EXPECT_FALSE(store.WriteInt("S", "k", 2)) << c.what;
      EXPECT_FALSE(store.WriteString("Settings", "Format", "%H")) << c.what;
      EXPECT_FALSE(store.DeleteKey("S", "k")) << c.what;
      store.DeleteSection("S");
      EXPECT_FALSE(store.dirty()) << c.what;
      EXPECT_EQ(store.text(), c.bytes) << c.what;
      EXPECT_TRUE(store.Flush()) << c.what;  // nothing to write
    }
    EXPECT_EQ(ScratchDir::Read(file), c.bytes) << c.what;
    EXPECT_EQ(std::filesystem::last_write_time(file), mtime) << c.what;
  }
}

// A settings file kept elsewhere behind a symbolic link: a save writes the link's target and
// leaves the link in place, also when the target is not there yet (a link made ahead) and
// through a link to a link.
TEST(IniFiles, ASymbolicLinkIsWrittenThroughAndStaysALink) {
  struct Case {
    const char* what;
    const char* before;  // the target's text; nullptr: the target is missing
    bool chained;        // Velta.ini -> second -> real/Velta.ini
    bool deleteAll;      // the only section deleted instead of a value written
    const char* after;
  } cases[] = {
      {"an existing target", "[Settings]\r\nleft=10\r\n", false, false, "[Settings]\r\nleft=20\r\n"},
      // As found: the link was replaced by a plain file and the target never made.
      {"a missing target", nullptr, false, false, "[Settings]\r\nleft=20\r\n"},
      {"a link to a link", "[Settings]\r\nleft=10\r\n", true, false, "[Settings]\r\nleft=20\r\n"},
      // As found: the link was removed and the target kept every deleted setting.
      {"every setting deleted", "[Settings]\r\nleft=10\r\n", false, true, ""},
  };
  for (const Case& c : cases) {
    ScratchDir dir;
    const std::filesystem::path real = dir.path() / "real";
    std::filesystem::create_directories(real);
    if (c.before != nullptr) ScratchDir::Write((real / "Velta.ini").string(), c.before);
    const std::string link = dir.File("Velta.ini");
    std::error_code ec;
    if (c.chained) {
      std::filesystem::create_symlink(std::filesystem::path("real") / "Velta.ini", dir.path() / "second", ec);
      if (!ec) std::filesystem::create_symlink("second", link, ec);
    } else {
      std::filesystem::create_symlink(std::filesystem::path("real") / "Velta.ini", link, ec);
    }
    if (ec) GTEST_SKIP() << "no symbolic links here: " << ec.message();
    {
      IniProfileStore store(link);
      EXPECT_EQ(store.GetInt("Settings", "left", 0), c.before != nullptr ? 10 : 0) << c.what;
      if (c.deleteAll)
        store.DeleteSection("Settings");
      else
        store.WriteInt("Settings", "left", 20);
      ASSERT_TRUE(store.Flush()) << c.what;
    }
    EXPECT_TRUE(std::filesystem::is_symlink(link)) << c.what;
    EXPECT_EQ(ScratchDir::Read((real / "Velta.ini").string()), c.after) << c.what;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(real), std::filesystem::directory_iterator()), 1)
        << c.what << ": no temporary file is left beside the target";
  }
}

TEST(IniEditors, AByteOrderMarkAndIndentedHeadersKeepTheirValues) {
  ScratchDir dir;
  const std::string file = dir.File("Velta.ini");
  const std::string before = "\xEF\xBB\xBF  [Settings]\r\nleft=10\r\n\r\n\t[Adjust]\r\nPort=123\r\n";
  ScratchDir::Write(file, before);
  {
    IniProfileStore store(file);
    EXPECT_EQ(store.GetInt("Settings", "left", 0), 10);
    EXPECT_EQ(store.GetInt("Adjust", "Port", 0), 123);
    std::vector<std::string> names;
    store.EnumSections(names);
    EXPECT_EQ(names, (std::vector<std::string>{"Settings", "Adjust"}));
    store.WriteInt("Settings", "left", 20);
    store.WriteInt("Adjust", "Retry", 3);
    store.Flush();
  }
  EXPECT_EQ(ScratchDir::Read(file), "\xEF\xBB\xBF  [Settings]\r\nleft=20\r\n\r\n\t[Adjust]\r\nRetry=3\r\nPort=123\r\n");

  // The mark is kept when the first section goes, and a file holding only the
  // mark gets its first section with no empty line before it.
  {
    IniProfileStore store(file);
    store.DeleteSection("Settings");
    store.DeleteSection("Adjust");
    store.WriteInt("New", "k", 1);
    store.Flush();
  }
  EXPECT_EQ(ScratchDir::Read(file), "\xEF\xBB\xBF[New]\r\nk=1\r\n");
}

TEST(IniEditors, OnlyHeadersCountAsHeaders) {
  ScratchDir dir;
  const std::string file = dir.File("Velta.ini");
  // A header needs "]" at its end; a line starting with "[" ends a section all
  // the same; an indented line that is no header is an ordinary line; the mark
  // counts only at the very start.
  ScratchDir::Write(file,
                    "[A] note\r\nk=1\r\n[B]\r\nk=2\r\n  [junk\r\nj=3\r\n[C\r\nk=4\r\n\xEF\xBB\xBF[D]\r\nk=5\r\n");
  IniProfileStore store(file);
  std::vector<std::string> names;
  store.EnumSections(names);
  EXPECT_EQ(names, (std::vector<std::string>{"B"}));
  EXPECT_EQ(store.GetInt("B", "k", 0), 2);
  EXPECT_EQ(store.GetInt("B", "j", 0), 3);
  EXPECT_EQ(store.GetInt("A", "k", 0), 0);
  std::vector<std::string> keys;
  EXPECT_TRUE(store.EnumKeys("B", keys));
  EXPECT_EQ(keys, (std::vector<std::string>{"k", "j"}));
}

}  // namespace
