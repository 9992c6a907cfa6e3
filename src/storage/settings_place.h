// Where the program keeps its files: beside the executable, or, when that folder cannot take
// them (a program under Program Files), in the user's application data folder.
#pragma once

#include <string>

class SettingsPlace {
 public:
  // The executable's full path with the characters after the last "." of its file name
  // replaced by "ini" ("ini" is appended when the name has no "."): Velta.exe -> Velta.ini.
  static std::string ExecutableIni();
  // %APPDATA%\Orvex's Applications\<program name>\, with its trailing backslash; empty when the
  // system names no application data folder.
  static std::string AppDataFolder();
  // The settings file in AppDataFolder(), named as beside the executable; empty as above.
  static std::string AppDataIni();
};
