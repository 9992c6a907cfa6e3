// Where this executable is: its full path and its folder, whatever letters they hold.
#pragma once

#include <windows.h>

#include <string>

class ModulePath {
 public:
  // The executable's full path (GetModuleFileNameW), UTF-8; empty when the system does not say.
  static std::string Executable();
  // Its folder with the trailing backslash; empty as above.
  static std::string Folder();
  // The executable's base name, e.g. "Velta" for Velta.exe.
  static std::string BaseName();
  // A DLL of the system loaded from the system folder by its full name, never from the
  // executable's folder or the current one; null when it is not there (an older Windows).
  static HMODULE LoadSystemLibrary(const wchar_t* name);
  // From now on this process loads DLLs by name from the system folder only, never from its
  // own folder (SetDefaultDllDirectories, looked up at run time). False where the system lacks it.
  static bool SearchSystemFolderOnly();
};
