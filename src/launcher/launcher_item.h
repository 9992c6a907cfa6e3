// One entry of the launcher: a file to start under a display name.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class LauncherItem {
 public:
  virtual ~LauncherItem() = default;

  std::string path;          // for an encoded item, the path of its encoded file
  std::string name;          // shown in the list
  std::int32_t encoded = 0;  // non-zero: path is an encoded file that needs the user's key
};

// Items in display order.
using LauncherGroup = std::vector<LauncherItem>;
// Groups 0 to 9 are the launcher's ten tabs; further stored groups are kept but not shown.
using LauncherGroups = std::vector<LauncherGroup>;
