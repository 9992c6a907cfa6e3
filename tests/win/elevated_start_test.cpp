// The elevated start holds and checks its program before the shell runs it. Wine
// honours sharing modes, so a rename, overwrite or delete of the held file is
// tried for real; the shell's start is a seam (Wine has no consent prompt).
#include "win/elevated_start.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "win/held_file.h"
#include "win/image_seal.h"
#include "win/module_path.h"
#include "win/sha256.h"
#include "win/wide_text.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

std::string TempFolder() {
  wchar_t path[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, path);
  std::wstring folder = std::wstring(path) + L"velta-elevation-" + std::to_wstring(::GetCurrentProcessId());
  ::CreateDirectoryW(folder.c_str(), nullptr);
  return WideText::ToUtf8(folder) + "\\";
}

bool Write(const std::string& path, const Bytes& bytes) {
  std::ofstream out(std::filesystem::path(WideText::From(path)), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

Bytes Read(const std::string& path) {
  std::ifstream in(std::filesystem::path(WideText::From(path)), std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A program file with an empty seal in the middle, as the linker leaves one.
Bytes Unsealed() {
  Bytes image = {'M', 'Z', 0x90, 0};
  image.resize(4096, 0xCC);
  const std::string seal = ImageSeal::Placeholder();
  image.insert(image.begin() + 1000, seal.begin(), seal.end());
  return image;
}

// Every way of putting another program in the held one's place; each is a system error or 0.
struct SwapErrors {
  DWORD rename, overwrite, replace, remove;
};
SwapErrors TrySwap(const std::string& file) {
  const std::wstring path = WideText::From(file);
  const std::wstring aside = path + L".aside";
  const std::wstring other = path + L".other";
  Write(WideText::ToUtf8(other), Bytes{'e', 'v', 'i', 'l'});
  SwapErrors errors{};
  errors.rename = ::MoveFileExW(path.c_str(), aside.c_str(), 0) ? 0 : ::GetLastError();
  if (errors.rename == 0) ::MoveFileExW(aside.c_str(), path.c_str(), 0);
  HANDLE writer = ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
  errors.overwrite = writer != INVALID_HANDLE_VALUE ? 0 : ::GetLastError();
  if (writer != INVALID_HANDLE_VALUE) ::CloseHandle(writer);
  errors.replace = ::MoveFileExW(other.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : ::GetLastError();
  errors.remove = ::DeleteFileW(path.c_str()) ? 0 : ::GetLastError();
  ::DeleteFileW(other.c_str());
  return errors;
}

TEST(Sha256, HashesByTheSystemsCryptography) {
  const std::string abc = "abc";
  const auto digest = Sha256::Of(reinterpret_cast<const std::uint8_t*>(abc.data()), abc.size());
  ASSERT_TRUE(digest);
  EXPECT_EQ(Sha256::Hex(*digest), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  const auto empty = Sha256::Of(nullptr, 0);
  ASSERT_TRUE(empty);
  EXPECT_EQ(Sha256::Hex(*empty), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
}

TEST(ImageSeal, MatchesOnlyTheFileItWasMadeFor) {
  Bytes sealed = Unsealed();
  ASSERT_TRUE(ImageSeal::Seal(sealed));
  const std::string seal = ImageSeal::Placeholder();
  const auto at = std::search(sealed.begin(), sealed.end(), seal.begin(), seal.begin() + 17) - sealed.begin() + 17;
  const std::string digest(sealed.begin() + at, sealed.begin() + at + 64);
  EXPECT_TRUE(ImageSeal::Matches(sealed, digest));

  Bytes changed = sealed;
  changed[3000] ^= 1;
  Bytes otherDigits = sealed;
  otherDigits[static_cast<std::size_t>(at)] = otherDigits[static_cast<std::size_t>(at)] == 'a' ? 'b' : 'a';
  Bytes twoSeals = sealed;
  twoSeals.insert(twoSeals.end(), sealed.begin() + at - 17, sealed.begin() + at + 64);
  Bytes longer = sealed;
  longer.push_back(0);
  const struct {
    const char* name;
    const Bytes& image;
    std::string digest;
  } refused[] = {
      {"one byte changed", changed, digest},
      {"the seal's digits changed", otherDigits, digest},
      {"a second seal", twoSeals, digest},
      {"a byte added", longer, digest},
      {"another digest expected", sealed, std::string(63, '1') + "2"},
      {"an unsealed program's empty digest", Unsealed(), std::string()},
      {"the zeros of an empty seal", Unsealed(), std::string(64, '0')},
  };
  for (const auto& r : refused) EXPECT_FALSE(ImageSeal::Matches(r.image, r.digest)) << r.name;
  // The tests' own image is not sealed: nothing they build could be elevated as the clock.
  EXPECT_EQ(ImageSeal::Own(), "");
}

TEST(HeldFile, NobodyRenamesOverwritesOrDeletesItWhileItIsHeld) {
  const std::string file = TempFolder() + "held.exe";
  ASSERT_TRUE(Write(file, Unsealed()));
  {
    const HeldFile held = HeldFile::Open(file);
    ASSERT_TRUE(held.IsOpen()) << held.LastError();
    const SwapErrors errors = TrySwap(file);
    EXPECT_EQ(errors.rename, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(errors.overwrite, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_NE(errors.replace, 0u);
    EXPECT_NE(errors.remove, 0u);
    // Others may still read it: the shell and the system read it to run it.
    HANDLE reader = ::CreateFileW(WideText::From(file).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  0, nullptr);
    EXPECT_NE(reader, INVALID_HANDLE_VALUE);
    if (reader != INVALID_HANDLE_VALUE) ::CloseHandle(reader);
    Bytes content;
    ASSERT_TRUE(held.ReadAll(content));
    EXPECT_EQ(content, Unsealed());
  }
  // Let go, the same swap works: the refusals above were the hold's.
  const SwapErrors after = TrySwap(file);
  EXPECT_EQ(after.rename, 0u);
  EXPECT_EQ(after.replace, 0u);
  EXPECT_EQ(after.remove, 0u);
  // Open for writing elsewhere, it cannot be held.
  ASSERT_TRUE(Write(file, Unsealed()));
  HANDLE writer = ::CreateFileW(WideText::From(file).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(HeldFile::Open(file).IsOpen());
  ::CloseHandle(writer);
  ::DeleteFileW(WideText::From(file).c_str());
}

TEST(ElevatedStart, RunsOnlyTheCheckedFileAndHoldsItUntilTheProcessExists) {
  // The program is a copy of this test runner, sealed or not it does not matter: the
  // check here is "byte for byte what was copied".
  const std::string folder = TempFolder();
  const std::string helper = folder + "helper.exe";
  const Bytes original = Read(ModulePath::Executable());
  ASSERT_FALSE(original.empty());
  ASSERT_TRUE(Write(helper, original));

  ElevatedStart::Seams seams;
  seams.trusted = [&original](const Bytes& content) { return content == original; };
  SwapErrors atCheck{}, atStart{};
  seams.afterCheck = [&](const std::string& file) { atCheck = TrySwap(file); };
  std::wstring verb, startedFile, parameters;
  DWORD exitCode = 99;
  seams.execute = [&](SHELLEXECUTEINFOW& info) -> BOOL {
    verb = info.lpVerb;
    startedFile = info.lpFile;
    parameters = info.lpParameters;
    atStart = TrySwap(WideText::ToUtf8(info.lpFile));
    // Runs what is at the path now, with arguments that make it list no test and end.
    std::wstring command = L"\"" + startedFile + L"\" --gtest_filter=NoSuchTest.None";
    STARTUPINFOW startup{sizeof startup};
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(startedFile.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process))
      return FALSE;
    ::CloseHandle(process.hThread);
    info.hProcess = process.hProcess;
    return TRUE;
  };
  KernelHandle process;
  ASSERT_EQ(ElevatedStart::Run(nullptr, helper, "adjust --server 127.0.0.1", seams, process),
            ElevatedStart::Outcome::kStarted);
  ASSERT_TRUE(process);
  ASSERT_EQ(::WaitForSingleObject(process.get(), 60000), WAIT_OBJECT_0);
  ASSERT_TRUE(::GetExitCodeProcess(process.get(), &exitCode));
  EXPECT_EQ(exitCode, 0u) << "the checked program ran";
  EXPECT_EQ(verb, L"runas");
  EXPECT_EQ(startedFile, WideText::From(helper));
  EXPECT_EQ(parameters, L"adjust --server 127.0.0.1");
  for (const SwapErrors& e : {atCheck, atStart}) {
    EXPECT_EQ(e.rename, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(e.overwrite, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_NE(e.replace, 0u);
    EXPECT_NE(e.remove, 0u);
  }
  EXPECT_EQ(Read(helper), original) << "nothing took the checked file's place";

  // A file that fails the check is never started; neither is one that cannot be held.
  int starts = 0;
  seams.afterCheck = nullptr;
  seams.execute = [&starts](SHELLEXECUTEINFOW&) -> BOOL { return ++starts, TRUE; };
  Bytes changed = original;
  changed[changed.size() / 2] ^= 1;
  ASSERT_TRUE(Write(helper, changed));
  EXPECT_EQ(ElevatedStart::Run(nullptr, helper, "", seams, process), ElevatedStart::Outcome::kChanged);
  EXPECT_EQ(ElevatedStart::Run(nullptr, folder + "missing.exe", "", seams, process), ElevatedStart::Outcome::kNotHeld);
  EXPECT_EQ(starts, 0);
  EXPECT_FALSE(process);

  // "No" at the consent prompt is told apart from a failed start.
  ASSERT_TRUE(Write(helper, original));
  const struct {
    DWORD error;
    ElevatedStart::Outcome outcome;
  } refusals[] = {{ERROR_CANCELLED, ElevatedStart::Outcome::kCancelled},
                  {ERROR_FILE_NOT_FOUND, ElevatedStart::Outcome::kFailed},
                  {ERROR_ACCESS_DENIED, ElevatedStart::Outcome::kFailed}};
  for (const auto& r : refusals) {
    seams.execute = [&r](SHELLEXECUTEINFOW&) -> BOOL {
      ::SetLastError(r.error);
      return FALSE;
    };
    EXPECT_EQ(ElevatedStart::Run(nullptr, helper, "", seams, process), r.outcome) << r.error;
  }
  ::DeleteFileW(WideText::From(helper).c_str());
  ::RemoveDirectoryW(WideText::From(folder).c_str());
}

TEST(ElevatedStart, StartsTheHeldFileByItsOwnNameNotTheOneItWasGiven) {
  // A folder on the way could be a junction re-pointed between the check and the start:
  // the shell is given the name the held handle resolves to, whatever way it was reached.
  const std::string folder = TempFolder();
  const std::string helper = folder + "helper.exe";
  ASSERT_TRUE(Write(helper, Unsealed()));
  ASSERT_TRUE(::CreateDirectoryW(WideText::From(folder + "sub").c_str(), nullptr));
  std::wstring startedFile;
  ElevatedStart::Seams seams;
  seams.trusted = [](const Bytes&) { return true; };
  seams.execute = [&startedFile](SHELLEXECUTEINFOW& info) -> BOOL {
    startedFile = info.lpFile;
    ::SetLastError(ERROR_CANCELLED);
    return FALSE;
  };
  KernelHandle process;
  for (const std::string& given : {folder + "sub\\..\\helper.exe", folder + "sub\\..\\HELPER.EXE"}) {
    startedFile.clear();
    EXPECT_EQ(ElevatedStart::Run(nullptr, given, "", seams, process), ElevatedStart::Outcome::kCancelled) << given;
    EXPECT_EQ(::CompareStringOrdinal(startedFile.c_str(), -1, WideText::From(helper).c_str(), -1, TRUE), CSTR_EQUAL)
        << given << " started as " << WideText::ToUtf8(startedFile);
    EXPECT_EQ(startedFile.find(L".."), std::wstring::npos) << WideText::ToUtf8(startedFile);
    EXPECT_NE(startedFile.rfind(L"\\\\?\\", 0), 0u) << "the shell takes plain names";
  }
  ::RemoveDirectoryW(WideText::From(folder + "sub").c_str());
  ::DeleteFileW(WideText::From(helper).c_str());
  ::RemoveDirectoryW(WideText::From(folder).c_str());
}

}  // namespace
