// The settings file on Windows: its place beside the executable, the Win32 file
// functions, and agreement with the system's own INI functions.
#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <set>
#include <string>
#include <utility>

#include "storage/file_replacement.h"
#include "storage/ini_last_line_cases.h"
#include "storage/ini_profile_store.h"
#include "storage/scratch_dir.h"
#include "storage/settings_place.h"
#include "storage/win32_file_access.h"

namespace {

std::string FullPath(const std::string& relative) {
  char full[MAX_PATH * 4];
  const DWORD n = ::GetFullPathNameA(relative.c_str(), sizeof full, full, nullptr);
  return std::string(full, n);
}

std::string ModulePath() {
  char path[MAX_PATH * 4];
  const DWORD n = ::GetModuleFileNameA(nullptr, path, sizeof path);
  return std::string(path, n);
}

std::string SystemGetString(const std::string& file, const char* section, const char* key) {
  char buffer[512];
  const DWORD n = ::GetPrivateProfileStringA(section, key, "<missing>", buffer, sizeof buffer, file.c_str());
  return std::string(buffer, n);
}

TEST(IniProfileStoreWindows, TheDefaultFileIsTheExecutablesPathWithIni) {
  std::string expected = ModulePath();
  expected.replace(expected.size() - 3, 3, "ini");  // velta_win_tests.exe -> velta_win_tests.ini
  ::DeleteFileA(expected.c_str());
  {
    IniProfileStore store;
    EXPECT_EQ(store.path(), expected);
    store.WriteInt("Settings", "Option", 8);
    store.Flush();
  }
  EXPECT_EQ(ScratchDir::Read(expected), "[Settings]\r\nOption=8\r\n");
  {
    IniProfileStore store;
    EXPECT_EQ(store.GetInt("Settings", "Option", 0), 8);
    store.DeleteSection("Settings");
    store.Flush();
  }
  EXPECT_EQ(::GetFileAttributesA(expected.c_str()), INVALID_FILE_ATTRIBUTES) << "an empty text deletes the file";
}

std::set<std::string> Names(const ScratchDir& dir) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) names.insert(entry.path().filename().string());
  return names;
}

TEST(IniProfileStoreWindows, Win32FilesReplaceInOneStepAndReportFailures) {
  ScratchDir dir;
  Win32FileAccess& files = Win32FileAccess::Instance();
  const std::string file = dir.File("Velta.ini");
  std::string content;
  EXPECT_EQ(files.ReadAll(file, content), FileAccess::ReadResult::Missing);
  EXPECT_EQ(files.ReadAll(dir.File("no/such/Velta.ini"), content), FileAccess::ReadResult::Missing);
  FileError error;
  EXPECT_EQ(files.ReadAll(dir.path().string(), content, error), FileAccess::ReadResult::Failed);  // a folder
  EXPECT_FALSE(error.message.empty());

  ASSERT_TRUE(FileReplacement::Replace(files, file, "first", error));
  ASSERT_TRUE(FileReplacement::Replace(files, file, "second, longer", error));
  EXPECT_EQ(files.ReadAll(file, content), FileAccess::ReadResult::Ok);
  EXPECT_EQ(content, "second, longer");
  EXPECT_EQ(Names(dir), std::set<std::string>{"Velta.ini"});

  // A file another program holds open without sharing cannot be replaced (after a few tries);
  // it stays as it was, and the system's reason is told.
  HANDLE held = ::CreateFileA(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(files.ReadAll(file, content), FileAccess::ReadResult::Failed);
  EXPECT_FALSE(FileReplacement::Replace(files, file, "third", error));
  EXPECT_TRUE(error.passing);
  EXPECT_FALSE(error.message.empty());
  ::CloseHandle(held);
  EXPECT_EQ(ScratchDir::Read(file), "second, longer");
  EXPECT_EQ(Names(dir), std::set<std::string>{"Velta.ini"});

  // New files only where nothing is; moves that replace only when asked.
  EXPECT_EQ(files.CreateNew(file, error), nullptr);
  ScratchDir::Write(dir.File("other.ini"), "other");
  EXPECT_FALSE(files.Move(dir.File("other.ini"), file, false, error));
  EXPECT_EQ(ScratchDir::Read(file), "second, longer");
  EXPECT_TRUE(files.Move(dir.File("other.ini"), file, true, error));
  EXPECT_EQ(ScratchDir::Read(file), "other");
  EXPECT_EQ(files.OpenRead(dir.path().string(), error), nullptr) << "a folder is no file";
  EXPECT_EQ(files.KindOf(dir.path().string()), FileAccess::Kind::Directory);

  EXPECT_TRUE(files.Remove(file, error));
  EXPECT_FALSE(files.Remove(file, error));
  EXPECT_EQ(error.code, ERROR_FILE_NOT_FOUND);
}

// A device name, alone, with an extension or behind folders, is never opened as a file: the
// console, the null device or a serial port would be read or written instead.
TEST(IniProfileStoreWindows, DeviceNamesAreNeverOpenedAsFiles) {
  ScratchDir dir;
  Win32FileAccess& files = Win32FileAccess::Instance();
  const std::string folder = FullPath(dir.path().string()) + "\\";
  for (const std::string& path : {std::string("CON"), std::string("NUL.txt"), std::string("COM1"),
                                  std::string("LPT1.log"), folder + "CON", folder + "nul.ini", folder + "COM1.QZD",
                                  folder + "LPT1.log", std::string("\\\\.\\NUL")}) {
    FileError error;
    EXPECT_EQ(files.KindOf(path), FileAccess::Kind::Other) << path;
    EXPECT_EQ(files.OpenRead(path, error), nullptr) << path;
    EXPECT_EQ(files.CreateNew(path, error), nullptr) << path;
    EXPECT_EQ(files.OpenExisting(path, error), nullptr) << path;
    EXPECT_FALSE(FileReplacement::Replace(files, path, "text", error)) << path;
    std::string content;
    EXPECT_EQ(files.ReadAll(path, content, error), FileAccess::ReadResult::Failed) << path;
  }
  EXPECT_EQ(Names(dir), std::set<std::string>{}) << "no temporary file is left";
  // Names that only look alike are files.
  FileError error;
  EXPECT_TRUE(FileReplacement::Replace(files, folder + "CONSOLE.txt", "text", error)) << error.message;
  EXPECT_TRUE(FileReplacement::Replace(files, folder + "COM10", "text", error)) << error.message;
}

// Under Wine a rename replaces even a file marked read-only: the store must look first.
TEST(IniProfileStoreWindows, AReadOnlySettingsFileIsNeverWritten) {
  ScratchDir dir;
  const std::string file = dir.File("Velta.ini");
  const std::string old = "[Settings]\r\nOption=8\r\n";
  ScratchDir::Write(file, old);
  ASSERT_TRUE(::SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY));
  {
    IniProfileStore store(file, Win32FileAccess::Instance());
    store.WriteInt("Settings", "Option", 4);
    const IniProfileStore::SaveOutcome& outcome = store.Save();
    EXPECT_EQ(outcome.status, IniProfileStore::SaveOutcome::Status::ReadOnly);
    EXPECT_EQ(outcome.path, file);
    store.Flush();
  }
  EXPECT_EQ(ScratchDir::Read(file), old);
  EXPECT_NE(::GetFileAttributesA(file.c_str()) & FILE_ATTRIBUTE_READONLY, 0u) << "the attribute stays";
  EXPECT_EQ(Names(dir), std::set<std::string>{"Velta.ini"});
  ::SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// The user's application data folder is one place for every copy of the program: a copy whose
// folder takes files keeps its settings beside it, even when that place holds some (those of a
// copy in a folder that takes none, as the end-to-end scripts show with a locked folder).
TEST(IniProfileStoreWindows, TheApplicationDataCopyIsNotReadByACopyWhoseFolderTakesFiles) {
  const std::string appData = SettingsPlace::AppDataIni();
  ASSERT_FALSE(appData.empty());
  EXPECT_NE(appData.find("\\Orvex's Applications\\velta_win_tests\\velta_win_tests.ini"), std::string::npos)
      << appData;
  std::string beside = ModulePath();
  beside.replace(beside.size() - 3, 3, "ini");
  ::DeleteFileA(beside.c_str());
  ::DeleteFileA(appData.c_str());
  { IniProfileStore store; EXPECT_EQ(store.path(), beside); }
  FileError error;
  ASSERT_TRUE(Win32FileAccess::Instance().CreateFolders(SettingsPlace::AppDataFolder(), error)) << error.message;
  ScratchDir::Write(appData, "[Settings]\r\nOption=6\r\n");
  for (const char* own : {"", "[Settings]\r\nOption=8\r\n"}) {
    if (*own != '\0') ScratchDir::Write(beside, own);
    {
      IniProfileStore store;
      EXPECT_EQ(store.path(), beside);
      EXPECT_EQ(store.GetInt("Settings", "Option", 0), *own != '\0' ? 8 : 0);
      store.WriteInt("Settings", "Option", 7);
      EXPECT_TRUE(store.Save().ok());
    }
    EXPECT_EQ(ScratchDir::Read(beside), "[Settings]\r\nOption=7\r\n");
    EXPECT_EQ(ScratchDir::Read(appData), "[Settings]\r\nOption=6\r\n") << "the other copy's settings stay";
    ::DeleteFileA(beside.c_str());
  }
  ::DeleteFileA(appData.c_str());
  ::RemoveDirectoryA(SettingsPlace::AppDataFolder().c_str());
}

TEST(IniProfileStoreWindows, AFileHeldOpenWhileLoadingIsNotOverwrittenBySaving) {
  ScratchDir dir;
  const std::string file = dir.File("Velta.ini");
  const std::string old = "[QuickTimerMsg]\r\nForeColor=255\r\n";
  ScratchDir::Write(file, old);
  HANDLE held = ::CreateFileA(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  IniProfileStore store(file, Win32FileAccess::Instance());
  ::CloseHandle(held);
  store.WriteInt("Settings", "left", 5);
  EXPECT_FALSE(store.Flush());
  EXPECT_EQ(ScratchDir::Read(file), old);
  store.Flush();
}

TEST(IniProfileStoreWindows, TheSystemReadsWhatTheStoreWrites) {
  ScratchDir dir;
  const std::string file = FullPath(dir.File("Velta.ini"));
  std::array<std::uint8_t, 4> bytes{0x00, 0x7F, 0x80, 0xFF};
  {
    IniProfileStore store(file, Win32FileAccess::Instance());
    store.WriteBinary("Settings", "Font", bytes.data(), bytes.size());
    store.WriteInt("Settings", "ForeColor", 16777215);
    store.WriteInt("Settings", "left", -120);
    store.WriteString("Settings", "Format", "%Y/%m/%d (%a) %H:%M");
    store.WriteString("Adjust", "Server", "ntp.example.org");
    store.WriteInt("Adjust", "Port", 123);
    store.WriteFloat("Adjust", "Ratio", 1.5f);
    store.WriteInt("Exec", "left", 7);  // the same key in another section
    store.Flush();
  }
  EXPECT_EQ(SystemGetString(file, "Settings", "Font"), "007F80FF");
  EXPECT_EQ(::GetPrivateProfileIntA("Settings", "ForeColor", -1, file.c_str()), 16777215u);
  EXPECT_EQ(static_cast<int>(::GetPrivateProfileIntA("Settings", "left", 0, file.c_str())), -120);
  EXPECT_EQ(SystemGetString(file, "Settings", "Format"), "%Y/%m/%d (%a) %H:%M");
  EXPECT_EQ(SystemGetString(file, "Adjust", "Server"), "ntp.example.org");
  EXPECT_EQ(::GetPrivateProfileIntA("Adjust", "Port", 0, file.c_str()), 123u);
  EXPECT_EQ(SystemGetString(file, "Adjust", "Ratio"), "1.500000");
  EXPECT_EQ(::GetPrivateProfileIntA("Exec", "left", 0, file.c_str()), 7u);
  EXPECT_EQ(SystemGetString(file, "Exec", "Port"), "<missing>");

  char sections[256] = {};
  const DWORD n = ::GetPrivateProfileSectionNamesA(sections, sizeof sections, file.c_str());
  EXPECT_EQ(std::string(sections, n), std::string("Settings\0Adjust\0Exec\0", 21));
}

// Files as editors leave them: the store finds what the system's own INI
// functions find, and after the store wrote into such a file the system finds
// the new values and every other one as before.
TEST(IniProfileStoreWindows, HandEditedFilesReadAsTheSystemReadsThem) {
  struct Case {
    const char* what;
    std::string text;
  } cases[] = {
      {"CR LF", "[Settings]\r\nleft=10\r\nFormat=%H:%M\r\n\r\n[Adjust]\r\nleft=99\r\nServer=ntp.example.org\r\n"},
      {"LF", "[Settings]\nleft=10\nFormat=%H:%M\n\n[Adjust]\nleft=99\nServer=ntp.example.org\n"},
      {"CR", "[Settings]\rleft=10\rFormat=%H:%M\r\r[Adjust]\rleft=99\rServer=ntp.example.org\r"},
      {"mixed", "[Settings]\nleft=10\r\nFormat=%H:%M\r\r\n[Adjust]\nleft=99\rServer=ntp.example.org\r\n"},
      {"byte-order mark, indented headers",
       "\xEF\xBB\xBF  [Settings]\r\nleft=10\r\nFormat=%H:%M\r\n\r\n\t[Adjust]\r\nleft=99\r\nServer=ntp.example.org\r\n"},
  };
  const std::pair<const char*, const char*> keys[] = {
      {"Settings", "left"}, {"Settings", "Format"}, {"Adjust", "left"}, {"Adjust", "Server"},
      {"Settings", "Server"}, {"New", "k"}, {"Settings", "added"},
  };
  int n = 0;
  for (const Case& c : cases) {
    ScratchDir dir;
    const std::string file = FullPath(dir.File("Velta" + std::to_string(n++) + ".ini"));
    ScratchDir::Write(file, c.text);
    {
      IniProfileStore store(file, Win32FileAccess::Instance());
      for (const auto& [section, key] : keys)
        EXPECT_EQ(store.GetString(section, key, "<missing>"), SystemGetString(file, section, key))
            << c.what << ": " << section << "/" << key;
      store.WriteInt("Settings", "left", -10);
      store.WriteString("Settings", "added", "yes");
      store.WriteString("New", "k", "v");
      store.Flush();
    }
    EXPECT_EQ(SystemGetString(file, "Settings", "left"), "-10") << c.what;
    EXPECT_EQ(SystemGetString(file, "Settings", "added"), "yes") << c.what;
    EXPECT_EQ(SystemGetString(file, "New", "k"), "v") << c.what;
    EXPECT_EQ(SystemGetString(file, "Settings", "Format"), "%H:%M") << c.what;
    EXPECT_EQ(SystemGetString(file, "Adjust", "left"), "99") << c.what;
    EXPECT_EQ(SystemGetString(file, "Adjust", "Server"), "ntp.example.org") << c.what;
    char sections[256] = {};
    const DWORD got = ::GetPrivateProfileSectionNamesA(sections, sizeof sections, file.c_str());
    EXPECT_EQ(std::string(sections, got), std::string("Settings\0Adjust\0New\0", 20)) << c.what;
    const std::string written = ScratchDir::Read(file);
    EXPECT_EQ(written.compare(0, 3, "\xEF\xBB\xBF") == 0, c.text.compare(0, 3, "\xEF\xBB\xBF") == 0) << c.what;
  }
}

// The system's own reading of a value, through the wide function (names and paths here are ASCII).
std::string SystemGetStringW(const std::string& file, const char* section, const char* key) {
  const auto wide = [](std::string_view text) { return std::wstring(text.begin(), text.end()); };
  wchar_t buffer[512];
  const DWORD n = ::GetPrivateProfileStringW(wide(section).c_str(), wide(key).c_str(), L"<missing>", buffer, 512,
                                             wide(file).c_str());
  return std::string(buffer, buffer + n);
}

// A value on the last line, with or without its line end: the store reads
// what the system reads, before and after writing the values back.
TEST(IniProfileStoreWindows, ALastLineWithoutLineEndReadsAsTheSystemReadsIt) {
  ScratchDir dir;
  for (const ini_last_line::Case& c : ini_last_line::Cases()) {
    const std::string file = FullPath(dir.File(c.name + ".ini"));
    ScratchDir::Write(file, c.text);
    {
      IniProfileStore store(file, Win32FileAccess::Instance());
      for (const ini_last_line::Value& v : ini_last_line::Values()) {
        EXPECT_EQ(SystemGetStringW(file, "Settings", v.key), v.text) << c.name << ": " << v.key;
        EXPECT_EQ(store.GetString("Settings", v.key, "<missing>"), v.text) << c.name << ": " << v.key;
        store.WriteString("Settings", v.key, store.GetString("Settings", v.key, "<missing>"));
      }
      ASSERT_TRUE(store.Flush());
    }
    EXPECT_EQ(ScratchDir::Read(file), c.saved) << c.name;
    for (const ini_last_line::Value& v : ini_last_line::Values())
      EXPECT_EQ(SystemGetStringW(file, "Settings", v.key), v.text) << c.name << " after saving: " << v.key;
  }
}

// A UTF-16 file is settings to the system, but the store cannot keep it as
// it is: it reads the defaults and leaves the file alone.
TEST(IniProfileStoreWindows, AUtf16FileIsReadAsDefaultsAndNeverWritten) {
  ScratchDir dir;
  const std::string file = FullPath(dir.File("Velta.ini"));
  const std::wstring wide = L"\xFEFF[Settings]\r\nleft=10\r\n";
  const std::string bytes(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t));
  ScratchDir::Write(file, bytes);
  ASSERT_EQ(SystemGetString(file, "Settings", "left"), "10");
  {
    IniProfileStore store(file, Win32FileAccess::Instance());
    EXPECT_TRUE(store.IsForeignText());
    EXPECT_EQ(store.GetInt("Settings", "left", 7), 7);
    EXPECT_FALSE(store.WriteInt("Settings", "left", 20));
    store.Flush();
  }
  EXPECT_EQ(ScratchDir::Read(file), bytes);
  EXPECT_EQ(SystemGetString(file, "Settings", "left"), "10");
}

TEST(IniProfileStoreWindows, TheStoreReadsWhatTheSystemWrites) {
  ScratchDir dir;
  const std::string file = FullPath(dir.File("Velta.ini"));
  ASSERT_TRUE(::WritePrivateProfileStringA("Settings", "Format", "%H:%M", file.c_str()));
  ASSERT_TRUE(::WritePrivateProfileStringA("Settings", "Option", "196616", file.c_str()));
  ASSERT_TRUE(::WritePrivateProfileStringA("Adjust", "Server", "time.example.net", file.c_str()));
  ASSERT_TRUE(::WritePrivateProfileStringA("Adjust", "Option", "-3", file.c_str()));
  ASSERT_TRUE(::WritePrivateProfileStringA("Settings", "Font", "0A0B", file.c_str()));
  ASSERT_TRUE(::WritePrivateProfileStringA("Settings", "Option", "4", file.c_str()));  // replaced
  ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, file.c_str());               // flush
  const std::string text = ScratchDir::Read(file);
  ASSERT_NE(text.find("\r\n"), std::string::npos) << "the system writes CR LF";

  IniProfileStore store(file, Win32FileAccess::Instance());
  EXPECT_EQ(store.GetString("Settings", "Format", ""), "%H:%M");
  EXPECT_EQ(store.GetInt("Settings", "Option", 0), 4);
  EXPECT_EQ(store.GetInt("Adjust", "Option", 0), -3);
  EXPECT_EQ(store.GetString("Adjust", "Server", ""), "time.example.net");
  std::array<std::uint8_t, 2> font{};
  EXPECT_TRUE(store.GetBinary("Settings", "Font", font.data(), font.data(), font.size()));
  EXPECT_EQ(font, (std::array<std::uint8_t, 2>{0x0A, 0x0B}));
  std::vector<std::string> names;
  store.EnumSections(names);
  EXPECT_EQ(names, (std::vector<std::string>{"Settings", "Adjust"}));
  std::vector<std::string> keys;
  EXPECT_TRUE(store.EnumKeys("Settings", keys));
  EXPECT_EQ(keys.size(), 3u);
}

}  // namespace
