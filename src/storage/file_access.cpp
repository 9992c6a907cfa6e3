#include "storage/file_access.h"

bool FileAccess::ReplaceContent(const std::string& path, std::string_view content) {
  const std::string temporary = TemporaryPathFor(path);
  if (!WriteAll(temporary, content) || !Replace(temporary, path)) {
    Remove(temporary);
    return false;
  }
  return true;
}
