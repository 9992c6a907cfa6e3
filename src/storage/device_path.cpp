#include "storage/device_path.h"

#include <string>

bool DevicePath::IsDeviceName(std::string_view name) {
  std::string stem(name.substr(0, name.find('.')));
  while (!stem.empty() && (stem.back() == ' ' || stem.back() == ':')) stem.pop_back();
  for (char& c : stem) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"})
    if (stem == device) return true;
  // COM0 to COM9 and LPT0 to LPT9, and with a superscript one, two or three.
  if (stem.size() < 4 || (stem.compare(0, 3, "COM") != 0 && stem.compare(0, 3, "LPT") != 0)) return false;
  const std::string_view digit = std::string_view(stem).substr(3);
  return (digit.size() == 1 && digit[0] >= '0' && digit[0] <= '9') || digit == "\xC2\xB9" || digit == "\xC2\xB2" ||
         digit == "\xC2\xB3";
}

bool DevicePath::NamesDevice(std::string_view path) {
  if (path.size() >= 4 && (path[0] == '\\' || path[0] == '/') && (path[1] == '\\' || path[1] == '/') &&
      path[2] == '.' && (path[3] == '\\' || path[3] == '/'))
    return true;
  const std::size_t slash = path.find_last_of("\\/");
  std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  // "C:NUL" names the device as well.
  if (slash == std::string_view::npos && name.size() >= 2 && name[1] == ':') name.remove_prefix(2);
  return IsDeviceName(name);
}
