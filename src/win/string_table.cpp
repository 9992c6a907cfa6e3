#include "win/string_table.h"

#include <vector>

std::string StringTable::Load(UINT id) {
  std::vector<char> buffer(256);
  for (;;) {
    const int n = ::LoadStringA(::GetModuleHandleA(nullptr), id, buffer.data(), static_cast<int>(buffer.size()));
    if (n <= 0) return {};
    if (static_cast<std::size_t>(n) < buffer.size() - 1) return std::string(buffer.data(), static_cast<std::size_t>(n));
    buffer.resize(buffer.size() * 2);  // may have been cut; try again with more room
  }
}

std::string StringTable::AppName() {
  std::vector<char> path(MAX_PATH);
  for (;;) {
    const DWORD n = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return "Velta";
    if (n < path.size()) break;
    path.resize(path.size() * 2);
  }
  std::string name(path.data());
  if (const auto slash = name.find_last_of("\\/"); slash != std::string::npos) name.erase(0, slash + 1);
  if (const auto dot = name.find_last_of('.'); dot != std::string::npos && dot != 0) name.erase(dot);
  return name;
}
