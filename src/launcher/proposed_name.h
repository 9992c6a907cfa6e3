// The display name the add dialogs propose for a path.
#pragma once

#include <string>
#include <string_view>

#include "launcher/file_encoding.h"

// The file part (after the last backslash) up to its last dot; a file part without a dot is
// taken whole. isLeadByte keeps a two-byte character whose second byte is '\\' intact.
std::string ProposedName(std::string_view path, LeadBytePredicate isLeadByte = nullptr);

// Everything before the last backslash (empty when there is none).
std::string FolderOf(std::string_view path, LeadBytePredicate isLeadByte = nullptr);
