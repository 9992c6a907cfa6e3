// Texts from the string table and the application's name.
#pragma once

#include <windows.h>

#include <string>

class StringTable {
 public:
  // The text of string `id` in the resource set in effect; empty when missing.
  static std::string Load(UINT id);
  // The executable's base name, e.g. "Velta" for Velta.exe.
  static std::string AppName();
};
