#include "launcher/proposed_name.h"

std::string ProposedName(std::string_view path) {
  const std::size_t slash = path.rfind('\\');
  const std::string_view file = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const std::size_t dot = file.rfind('.');
  return std::string(dot == std::string_view::npos ? file : file.substr(0, dot));
}

std::string FolderOf(std::string_view path) {
  const std::size_t slash = path.rfind('\\');
  return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash));
}
