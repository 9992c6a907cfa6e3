// The display name the add dialogs propose for a path (UTF-8: no byte of a character beyond
// ASCII is a backslash or a dot).
#pragma once

#include <string>
#include <string_view>

// The file part (after the last backslash) up to its last dot; a file part without a dot is
// taken whole.
std::string ProposedName(std::string_view path);

// Everything before the last backslash (empty when there is none).
std::string FolderOf(std::string_view path);
