// The settings file's encodings as a table: the file as found (in the code page it was written
// in, UTF-8 with the mark, or ASCII only), what reading gives, and what each kind of write
// leaves on the disk. Shared by the portable test (iconv's code pages) and the Windows one
// (the system's own), which must agree.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "storage/ini_profile_store.h"
#include "storage/memory_file_access.h"
#include "win/code_page.h"

namespace ini_encoding {

// Code pages by number: 1252, 932, 65001.
using PageOf = std::function<const CodePage&(unsigned)>;

constexpr const char* kMissing = "<missing>";
constexpr const char* kMark = "\xEF\xBB\xBF";

enum class Action { Read, WriteAscii, WriteHeld, WriteWide };

struct Case {
  const char* name;
  unsigned system, legacy;  // the system's ANSI code page and the user locale's legacy one
  const char* file;         // null: no file yet
  Action action;
  const char* written;      // the value written as S/new (UTF-8)
  const char* read;         // S/k read as UTF-8 afterwards
  const char* after;        // the file's bytes after the save
  unsigned page;            // the file's code page after the write; 0: ASCII only so far
  bool accepted = true;     // the write was taken
};

// 1252 "café"; 932 "時計"; UTF-8 "Привет" and "café".
#define CAFE_1252 "caf\xE9"
#define CAFE_UTF8 "caf\xC3\xA9"
#define CLOCK_932 "\x8E\x9E\x8C\x76"
#define CLOCK_UTF8 "\xE6\x99\x82\xE8\xA8\x88"
#define JAPAN_932 "\x93\xFA\x96\x7B"
#define JAPAN_UTF8 "\xE6\x97\xA5\xE6\x9C\xAC"
#define HELLO_UTF8 "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82"
#define WIDE "\xD0\x96\xE6\x97\xA5\xF0\x9F\x98\x80"

inline const std::vector<Case>& Cases() {
  static const std::vector<Case> cases = {
      // A file written in code page 1252 on an English system.
      {"cp1252_read", 1252, 1252, "[S]\r\nk=" CAFE_1252 "\r\n", Action::Read, "", CAFE_UTF8,
       "[S]\r\nk=" CAFE_1252 "\r\n", 1252},
      {"cp1252_ascii", 1252, 1252, "[S]\r\nk=" CAFE_1252 "\r\n", Action::WriteAscii, "x", CAFE_UTF8,
       "[S]\r\nnew=x\r\nk=" CAFE_1252 "\r\n", 1252},
      {"cp1252_held", 1252, 1252, "[S]\r\nk=" CAFE_1252 "\r\n", Action::WriteHeld, "na\xC3\xAFve", CAFE_UTF8,
       "[S]\r\nnew=na\xEFve\r\nk=" CAFE_1252 "\r\n", 1252},
      {"cp1252_wide", 1252, 1252, "[S]\r\nk=" CAFE_1252 "\r\n", Action::WriteWide, WIDE, CAFE_UTF8,
       "\xEF\xBB\xBF[S]\r\nnew=" WIDE "\r\nk=" CAFE_UTF8 "\r\n", CodePage::kUtf8},
      // A file written in code page 932 on a Japanese system.
      {"cp932_read", 932, 932, "[S]\r\nk=" CLOCK_932 "\r\n", Action::Read, "", CLOCK_UTF8,
       "[S]\r\nk=" CLOCK_932 "\r\n", 932},
      {"cp932_ascii", 932, 932, "[S]\r\nk=" CLOCK_932 "\r\n", Action::WriteAscii, "x", CLOCK_UTF8,
       "[S]\r\nnew=x\r\nk=" CLOCK_932 "\r\n", 932},
      {"cp932_held", 932, 932, "[S]\r\nk=" CLOCK_932 "\r\n", Action::WriteHeld, JAPAN_UTF8, CLOCK_UTF8,
       "[S]\r\nnew=" JAPAN_932 "\r\nk=" CLOCK_932 "\r\n", 932},
      {"cp932_wide", 932, 932, "[S]\r\nk=" CLOCK_932 "\r\n", Action::WriteWide, WIDE, CLOCK_UTF8,
       "\xEF\xBB\xBF[S]\r\nnew=" WIDE "\r\nk=" CLOCK_UTF8 "\r\n", CodePage::kUtf8},
      // A 932 file whose own bytes are no 932 text (a lead byte without its second byte): the
      // value reads as missing, an ASCII write changes only its line, and a write that would
      // convert the whole file is refused rather than lose the byte.
      {"cp932_broken_read", 932, 932, "[S]\r\nk=\x81\r\n", Action::Read, "", kMissing, "[S]\r\nk=\x81\r\n", 932},
      {"cp932_broken_ascii", 932, 932, "[S]\r\nk=\x81\r\n", Action::WriteAscii, "x", kMissing,
       "[S]\r\nnew=x\r\nk=\x81\r\n", 932},
      {"cp932_broken_wide", 932, 932, "[S]\r\nk=\x81\r\n", Action::WriteWide, WIDE, kMissing, "[S]\r\nk=\x81\r\n",
       932, false},
      // UTF-8 with the mark, whatever the system's code page.
      {"utf8mark_read", 1252, 1252, "\xEF\xBB\xBF[S]\r\nk=" HELLO_UTF8 "\r\n", Action::Read, "", HELLO_UTF8,
       "\xEF\xBB\xBF[S]\r\nk=" HELLO_UTF8 "\r\n", CodePage::kUtf8},
      {"utf8mark_ascii", 932, 932, "\xEF\xBB\xBF[S]\r\nk=" HELLO_UTF8 "\r\n", Action::WriteAscii, "x", HELLO_UTF8,
       "\xEF\xBB\xBF[S]\r\nnew=x\r\nk=" HELLO_UTF8 "\r\n", CodePage::kUtf8},
      {"utf8mark_wide", 1252, 1252, "\xEF\xBB\xBF[S]\r\nk=" HELLO_UTF8 "\r\n", Action::WriteWide, WIDE, HELLO_UTF8,
       "\xEF\xBB\xBF[S]\r\nnew=" WIDE "\r\nk=" HELLO_UTF8 "\r\n", CodePage::kUtf8},
      // The system's code page is UTF-8 now; the file was written in 1252 before.
      {"utf8system_cp1252_read", CodePage::kUtf8, 1252, "[S]\r\nk=" CAFE_1252 "\r\n", Action::Read, "", CAFE_UTF8,
       "[S]\r\nk=" CAFE_1252 "\r\n", 1252},
      {"utf8system_cp1252_ascii", CodePage::kUtf8, 1252, "[S]\r\nk=" CAFE_1252 "\r\n", Action::WriteAscii, "x",
       CAFE_UTF8, "[S]\r\nnew=x\r\nk=" CAFE_1252 "\r\n", 1252},
      {"utf8system_cp1252_held", CodePage::kUtf8, 1252, "[S]\r\nk=" CAFE_1252 "\r\n", Action::WriteHeld,
       "na\xC3\xAFve", CAFE_UTF8, "[S]\r\nnew=na\xEFve\r\nk=" CAFE_1252 "\r\n", 1252},
      {"utf8system_cp1252_wide", CodePage::kUtf8, 1252, "[S]\r\nk=" CAFE_1252 "\r\n", Action::WriteWide, WIDE,
       CAFE_UTF8, "\xEF\xBB\xBF[S]\r\nnew=" WIDE "\r\nk=" CAFE_UTF8 "\r\n", CodePage::kUtf8},
      // ... and one written with UTF-8 as the code page: UTF-8 without the mark, kept so.
      {"utf8system_utf8_read", CodePage::kUtf8, 1252, "[S]\r\nk=" CAFE_UTF8 "\r\n", Action::Read, "", CAFE_UTF8,
       "[S]\r\nk=" CAFE_UTF8 "\r\n", CodePage::kUtf8},
      {"utf8system_utf8_wide", CodePage::kUtf8, 1252, "[S]\r\nk=" CAFE_UTF8 "\r\n", Action::WriteWide, WIDE,
       CAFE_UTF8, "[S]\r\nnew=" WIDE "\r\nk=" CAFE_UTF8 "\r\n", CodePage::kUtf8},
      // ASCII only (as every file the previous build wrote by itself): no encoding yet. It stays
      // plain ASCII while ASCII is written; the first other character makes it UTF-8 with the
      // mark, even one the system's code page holds.
      {"ascii_read", 1252, 1252, "[S]\r\nk=plain\r\n", Action::Read, "", "plain", "[S]\r\nk=plain\r\n", 0},
      {"ascii_ascii", 932, 932, "[S]\r\nk=plain\r\n", Action::WriteAscii, "x", "plain",
       "[S]\r\nnew=x\r\nk=plain\r\n", 0},
      {"ascii_held", 1252, 1252, "[S]\r\nk=plain\r\n", Action::WriteHeld, CAFE_UTF8, "plain",
       "\xEF\xBB\xBF[S]\r\nnew=" CAFE_UTF8 "\r\nk=plain\r\n", CodePage::kUtf8},
      {"ascii_wide", CodePage::kUtf8, 1252, "[S]\r\nk=plain\r\n", Action::WriteWide, WIDE, "plain",
       "\xEF\xBB\xBF[S]\r\nnew=" WIDE "\r\nk=plain\r\n", CodePage::kUtf8},
      // No file yet.
      {"new_ascii", 1252, 1252, nullptr, Action::WriteAscii, "x", kMissing, "[S]\r\nnew=x\r\n", 0},
      {"new_held", 932, 932, nullptr, Action::WriteHeld, JAPAN_UTF8, kMissing,
       "\xEF\xBB\xBF[S]\r\nnew=" JAPAN_UTF8 "\r\n", CodePage::kUtf8},
      {"new_wide", CodePage::kUtf8, 1252, nullptr, Action::WriteWide, WIDE, kMissing,
       "\xEF\xBB\xBF[S]\r\nnew=" WIDE "\r\n", CodePage::kUtf8},
  };
  return cases;
}

#undef CAFE_1252
#undef CAFE_UTF8
#undef CLOCK_932
#undef CLOCK_UTF8
#undef JAPAN_932
#undef JAPAN_UTF8
#undef HELLO_UTF8
#undef WIDE

inline std::string PrintCase(const testing::TestParamInfo<Case>& info) { return info.param.name; }

// Runs one case: reads or writes, saves, and reads the result back from the saved bytes.
inline void Run(const Case& c, const PageOf& pageOf) {
  const CodePage& system = pageOf(c.system);
  const CodePage& legacy = pageOf(c.legacy);
  MemoryFileAccess files;
  if (c.file != nullptr) files.Put("Velta.ini", c.file);
  {
    IniProfileStore store("Velta.ini", files, system, legacy);
    if (c.action != Action::Read) {
      EXPECT_EQ(store.WriteString("S", "new", c.written), c.accepted);
      if (c.accepted) {
        EXPECT_EQ(store.GetString("S", "new", kMissing), c.written) << "read back before the save";
      }
    }
    EXPECT_EQ(store.GetString("S", "k", kMissing), c.read);
    EXPECT_EQ(store.codePage(), c.page);
    EXPECT_TRUE(store.Flush());
  }
  EXPECT_EQ(files.Get("Velta.ini"), c.after);
  // The saved file is read again as what was written.
  IniProfileStore again("Velta.ini", files, system, legacy);
  EXPECT_EQ(again.codePage(), c.page);
  EXPECT_EQ(again.GetString("S", "k", kMissing), c.read);
  if (c.action != Action::Read && c.accepted) {
    EXPECT_EQ(again.GetString("S", "new", kMissing), c.written);
  }
}

// Names in the file's code page are found and listed as UTF-8.
inline void RunNames(const PageOf& pageOf) {
  MemoryFileAccess files;
  // [時計] with the key 日本=7, in 932.
  files.Put("Velta.ini", "[\x8E\x9E\x8C\x76]\r\n\x93\xFA\x96\x7B=7\r\n");
  IniProfileStore store("Velta.ini", files, pageOf(932), pageOf(932));
  std::vector<std::string> names;
  store.EnumSections(names);
  EXPECT_EQ(names, std::vector<std::string>{"\xE6\x99\x82\xE8\xA8\x88"});
  names.clear();
  EXPECT_TRUE(store.EnumKeys("\xE6\x99\x82\xE8\xA8\x88", names));
  EXPECT_EQ(names, std::vector<std::string>{"\xE6\x97\xA5\xE6\x9C\xAC"});
  EXPECT_EQ(store.GetInt("\xE6\x99\x82\xE8\xA8\x88", "\xE6\x97\xA5\xE6\x9C\xAC", 0), 7);
  EXPECT_FALSE(store.WriteString("S", "k", "\xFF not UTF-8")) << "text that is no UTF-8 is refused";
  EXPECT_TRUE(store.DeleteKey("\xE6\x99\x82\xE8\xA8\x88", "\xE6\x97\xA5\xE6\x9C\xAC"));
  EXPECT_EQ(store.text(), "[\x8E\x9E\x8C\x76]\r\n");
}

}  // namespace ini_encoding
