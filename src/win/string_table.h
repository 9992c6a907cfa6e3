// Texts from the string table and the application's name.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>
#include <string_view>

class StringTable {
 public:
  // The text of string `id` in the resource set in effect, UTF-8; empty when missing.
  static std::string Load(UINT id);
  // Load(id) with "%1", "%2", ... replaced by the arguments in order; a mark with no argument
  // stays as it is, and an argument's own "%1" is never replaced again.
  static std::string Format(UINT id, std::initializer_list<std::string_view> arguments);
  // Format on a text already at hand.
  static std::string FormatText(std::string_view text, std::initializer_list<std::string_view> arguments);
  // The executable's base name, e.g. "Velta" for Velta.exe.
  static std::string AppName();
};
