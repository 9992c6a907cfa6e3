// velta-cli ini FILE ACTION ...: reads and edits a settings file the way the
// clock does (the same store, so the same layout and the same rules).
#include <cstdio>
#include <initializer_list>
#include <string_view>
#include <string>
#include <vector>

#include "cli/cli_console.h"
#include "cli/cli_args.h"
#include "cli/cli_files.h"
#include "storage/ini_profile_store.h"
#include "storage/profile_text.h"
#include "win/code_page.h"

namespace {

const char kUsage[] =
    "usage: velta-cli ini FILE sections\n"
    "       velta-cli ini FILE keys SECTION\n"
    "       velta-cli ini FILE get SECTION KEY [--default TEXT]\n"
    "       velta-cli ini FILE get-int SECTION KEY [--default N]\n"
    "       velta-cli ini FILE set SECTION KEY VALUE\n"
    "       velta-cli ini FILE set-int SECTION KEY N\n"
    "       velta-cli ini FILE delete SECTION [KEY]\n";

int Usage(const char* why) {
  CliConsole::Print(stderr, "velta-cli ini: %s\n%s", why, kUsage);
  return kCliUsage;
}

bool ParseInt(const std::string& text, std::int32_t& value) {
  if (text.empty() || text.find_first_not_of("-0123456789") != std::string::npos || text.size() > 11) return false;
  value = ProfileText::ParseInt(text);
  return std::to_string(value) == text;
}

// Saves and reports a failed save.
int Saved(IniProfileStore& store) {
  const IniProfileStore::SaveOutcome& outcome = store.Save();
  if (outcome.ok()) return kCliOk;
  if (outcome.status == IniProfileStore::SaveOutcome::Status::ReadOnly)
    CliConsole::Print(stderr, "velta-cli ini: %s is read-only; nothing was written\n", outcome.path.c_str());
  else
    CliConsole::Print(stderr, "velta-cli ini: could not write %s: %s\n", outcome.path.c_str(), outcome.reason.c_str());
  return kCliFailed;
}

// Why SECTION or KEY cannot be stored, each with its own reason; null when both can. An empty
// name would be no section or key the clock ever reads back as such, and a key line that starts
// with "[" would read as a section's header.
const char* NameRefused(const std::string& section, const std::string& key) {
  if (section.empty()) return "SECTION is empty; a section needs a name";
  if (section.find_first_of("\r\n") != std::string::npos) return "SECTION holds a line break";
  if (key.empty()) return "KEY is empty; a key needs a name";
  if (key.find_first_of("\r\n") != std::string::npos) return "KEY holds a line break";
  if (key.find('=') != std::string::npos) return "KEY holds \"=\", which would end the name early";
  const std::size_t first = key.find_first_not_of(" \t");
  if (first != std::string::npos && key[first] == '[')
    return "KEY starts with \"[\", so its line would read as a section's header";
  return nullptr;
}

// Why a write was refused: text that is no UTF-8, a file that is not single-byte text, a file
// whose own bytes are no text of its code page (it would have to become UTF-8 to take the
// value), or a name that would break the layout.
int Refused(const IniProfileStore& store, std::initializer_list<std::string_view> texts) {
  bool ascii = true;
  for (const std::string_view text : texts) {
    if (!CodePage::IsUtf8(text)) return Usage("names and values must be UTF-8 text");
    ascii = ascii && CodePage::IsAscii(text);
  }
  if (!ascii && store.codePage() != CodePage::kUtf8) {
    CliConsole::Print(stderr,
                 "velta-cli ini: %s is not text of its code page %u, so it cannot become UTF-8 to take this "
                 "text; nothing was written\n",
                 store.path().c_str(), store.codePage());
    return kCliFailed;
  }
  return Usage("a name holds a line break, or a key \"=\"");
}

}  // namespace

int RunIni(int argc, char** argv) {
  CliArgs args(argc, argv, 2, {"--default"});
  const auto fallback = args.Option("--default");
  const std::vector<std::string>& rest = args.Positional();
  if (args.Error()) return Usage(args.ErrorText().c_str());
  if (rest.size() < 2) return Usage("expected FILE and ACTION");
  const std::string& action = rest[1];
  const auto want = [&](std::size_t n) { return rest.size() == n + 2; };
  // A folder or an unreadable file is never taken for an empty settings file.
  if (const int refused = CliFiles::RefuseUnreadable("ini", rest[0], true)) return refused;
  // A file without the byte-order mark is read in this system's code pages (on Windows the ANSI
  // and the legacy one; elsewhere UTF-8, then 1252); names and values given and printed are UTF-8.
  IniProfileStore store(rest[0], CliFiles::Files(), IniProfileStore::SystemCodePage(),
                        IniProfileStore::LegacyCodePage());
  // UTF-16 (with or without its mark) is no settings text the clock reads or writes: whatever
  // was asked, an answer would be wrong and a write would ruin the file.
  const std::size_t given = rest.size() - 2;
  const bool known = (action == "sections" && given == 0) || (action == "keys" && given == 1) ||
                     ((action == "get" || action == "get-int") && given == 2) ||
                     ((action == "set" || action == "set-int") && given == 3) ||
                     (action == "delete" && (given == 1 || given == 2));
  if (known && store.IsForeignText()) {
    CliConsole::Print(stderr,
                      "velta-cli ini: %s is UTF-16 text, which the clock neither reads nor writes; nothing was "
                      "read or written\n",
                      rest[0].c_str());
    return kCliFailed;
  }

  if (action == "sections" && want(0)) {
    std::vector<std::string> names;
    store.EnumSections(names);
    for (const std::string& name : names) CliConsole::Print(stdout, "%s\n", name.c_str());
    return kCliOk;
  }
  if (action == "keys" && want(1)) {
    std::vector<std::string> names;
    if (!store.EnumKeys(rest[2], names)) {
      CliConsole::Print(stderr, "velta-cli ini: no section \"%s\"\n", rest[2].c_str());
      return kCliFailed;
    }
    for (const std::string& name : names) CliConsole::Print(stdout, "%s\n", name.c_str());
    return kCliOk;
  }
  if (action == "get" && want(2)) {
    // A marker no value can hold tells a missing key from an empty one.
    const std::string missing(1, '\0');
    const std::string value = store.GetString(rest[2], rest[3], fallback ? *fallback : missing);
    if (value == missing) {
      CliConsole::Print(stderr, "velta-cli ini: no key \"%s\" in \"%s\"\n", rest[3].c_str(), rest[2].c_str());
      return kCliFailed;
    }
    CliConsole::Print(stdout, "%s\n", value.c_str());
    return kCliOk;
  }
  if (action == "get-int" && want(2)) {
    std::int32_t def = 0;
    if (fallback && !ParseInt(*fallback, def)) return Usage("--default wants a 32-bit integer");
    std::printf("%d\n", static_cast<int>(store.GetInt(rest[2], rest[3], def)));
    return kCliOk;
  }
  if ((action == "set" || action == "set-int") && want(3)) {
    if (const char* why = NameRefused(rest[2], rest[3])) return Usage(why);
  }
  if (action == "set" && want(3)) {
    if (!store.WriteString(rest[2], rest[3], rest[4])) return Refused(store, {rest[2], rest[3], rest[4]});
    return Saved(store);
  }
  if (action == "set-int" && want(3)) {
    std::int32_t value = 0;
    if (!ParseInt(rest[4], value)) return Usage("N must be a 32-bit integer");
    if (!store.WriteInt(rest[2], rest[3], value)) return Refused(store, {rest[2], rest[3]});
    return Saved(store);
  }
  if (action == "delete" && (want(1) || want(2))) {
    if (want(1)) store.DeleteSection(rest[2]);
    else if (!store.DeleteKey(rest[2], rest[3])) {
      CliConsole::Print(stderr, "velta-cli ini: no key \"%s\" in \"%s\"\n", rest[3].c_str(), rest[2].c_str());
      return kCliFailed;
    }
    return Saved(store);
  }
  return Usage("unknown ACTION or wrong number of arguments");
}
