#include "win/module_path.h"

#include <windows.h>

#include "win/wide_text.h"

std::string ModulePath::Executable() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      return WideText::ToUtf8(path);
    }
    if (path.size() >= 32768) return {};
    path.resize(path.size() * 2);  // cut: try again with more room
  }
}

std::string ModulePath::Folder() {
  std::string path = Executable();
  // UTF-8 never has a '\' or '/' byte inside another character, so the last one is the separator.
  const auto slash = path.find_last_of("\\/");
  if (slash == std::string::npos) return {};
  path.erase(slash + 1);
  return path;
}

std::string ModulePath::BaseName() {
  std::string name = Executable();
  if (name.empty()) return "Velta";
  if (const auto slash = name.find_last_of("\\/"); slash != std::string::npos) name.erase(0, slash + 1);
  if (const auto dot = name.find_last_of('.'); dot != std::string::npos && dot != 0) name.erase(dot);
  return name;
}

HMODULE ModulePath::LoadSystemLibrary(const wchar_t* name) {
  wchar_t folder[MAX_PATH] = {};
  const UINT n = ::GetSystemDirectoryW(folder, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return nullptr;
  std::wstring path(folder, n);
  if (path.back() != L'\\') path += L'\\';
  path += name;
  return ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

bool ModulePath::SearchSystemFolderOnly() {
  using SetDirectories = BOOL(WINAPI*)(DWORD);
  // kernel32 is in every process already; nothing is loaded to find this.
  const auto set = reinterpret_cast<SetDirectories>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
  return set != nullptr && set(LOAD_LIBRARY_SEARCH_SYSTEM32) != FALSE;
}
