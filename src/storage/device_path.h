// Names that Windows takes for a device whatever folder they stand in: CON, PRN, AUX, NUL,
// COM0-COM9, LPT0-LPT9 (also with a superscript digit), CONIN$, CONOUT$, CLOCK$, alone or
// before an extension ("NUL.txt", "LPT1.log"). Opening one reaches the device, not a file.
#pragma once

#include <string_view>

class DevicePath {
 public:
  // One name, without folders: its part before the first dot, trailing spaces left out.
  static bool IsDeviceName(std::string_view name);
  // A path whose last part is a device name, or one in the device namespace ("\\.\...").
  static bool NamesDevice(std::string_view path);
};
