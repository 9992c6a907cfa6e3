#include "win/held_file.h"

#include <algorithm>

#include "win/wide_text.h"

HeldFile HeldFile::Open(const std::string& path) {
  HeldFile held;
  // No FILE_SHARE_WRITE: no writer. No FILE_SHARE_DELETE: no rename, no delete.
  held.file_.reset(::CreateFileW(WideText::From(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!held.file_) held.error_ = ::GetLastError();
  return held;
}

bool HeldFile::ReadAll(std::vector<std::uint8_t>& bytes) const {
  bytes.clear();
  if (!file_) return false;
  LARGE_INTEGER size{};
  // A program is far below this; anything bigger is not ours to check.
  if (!::GetFileSizeEx(file_.get(), &size) || size.QuadPart < 0 || size.QuadPart > (std::int64_t{1} << 30)) return false;
  LARGE_INTEGER start{};
  if (!::SetFilePointerEx(file_.get(), start, nullptr, FILE_BEGIN)) return false;
  bytes.resize(static_cast<std::size_t>(size.QuadPart));
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD read = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
    if (!::ReadFile(file_.get(), bytes.data() + done, want, &read, nullptr) || read == 0) {
      bytes.clear();
      return false;
    }
    done += read;
  }
  return true;
}

std::string HeldFile::FinalPath() const {
  if (!file_) return {};
  std::wstring path(MAX_PATH, L'\0');
  for (int tries = 0; tries < 2; ++tries) {
    const DWORD length = ::GetFinalPathNameByHandleW(file_.get(), path.data(), static_cast<DWORD>(path.size()),
                                                     FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      // The shell takes plain names: "\\?\C:\..." -> "C:\...", "\\?\UNC\server\..." -> "\\server\...".
      if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) return WideText::ToUtf8(L"\\\\" + path.substr(8));
      if (path.rfind(L"\\\\?\\", 0) == 0) return WideText::ToUtf8(path.substr(4));
      return WideText::ToUtf8(path);
    }
    path.assign(length, L'\0');  // the size it needs, terminator included
  }
  return {};
}
