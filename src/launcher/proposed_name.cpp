#include "launcher/proposed_name.h"

namespace {

// Index of the last single-byte ch in text, or npos.
std::size_t LastCharacter(std::string_view text, char ch, LeadBytePredicate isLeadByte) {
  std::size_t found = std::string_view::npos;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (isLeadByte && isLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) {
      ++i;
      continue;
    }
    if (text[i] == ch) found = i;
  }
  return found;
}

}  // namespace

std::string ProposedName(std::string_view path, LeadBytePredicate isLeadByte) {
  const std::size_t slash = LastCharacter(path, '\\', isLeadByte);
  const std::string_view file = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const std::size_t dot = LastCharacter(file, '.', isLeadByte);
  return std::string(dot == std::string_view::npos ? file : file.substr(0, dot));
}

std::string FolderOf(std::string_view path, LeadBytePredicate isLeadByte) {
  const std::size_t slash = LastCharacter(path, '\\', isLeadByte);
  return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash));
}
