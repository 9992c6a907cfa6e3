// Encoded launcher files on disk: encoding, restoring, inspecting and naming them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "launcher/encoded_file_access.h"

// CRC-32 of a file's content; 0xFFFFFFFF when it cannot be opened, 0 for an empty file.
std::uint32_t FileCrc32(const std::string& path);

// Encodes sourcePath into destPath with key. The encoded file is written under a temporary
// name, flushed, read back and checked to decode to the same content and path, and only then
// moved onto destPath: on any failure destPath is as it was and no partial file is left.
// The source is never changed. A source path of more than 259 characters is refused, since
// it could not be restored.
bool EncodeFile(const std::string& sourcePath, const std::string& destPath, std::string_view key,
                EncodedFileAccess& files = DefaultEncodedFileAccess());

// Restores the original file of an encoded file to the path stored in it (or to overridePath
// when that is not empty) and gives that path back. A wrong key or a damaged or foreign file
// fails before anything is written. The encoded file is left as it is.
bool DecodeFile(const std::string& encodedPath, std::string_view key, std::string& restoredPath,
                EncodedFileAccess& files = DefaultEncodedFileAccess(), const std::string& overridePath = std::string());

struct EncodedFileInfo {
  std::string storedPath;
  std::uint64_t contentLength = 0;
  std::string digest;
};
// Decodes in memory only and reports what the file holds; false for a wrong key or damage.
bool InspectEncodedFile(const std::string& encodedPath, std::string_view key, EncodedFileInfo& info,
                        EncodedFileAccess& files = DefaultEncodedFileAccess());

// Tells whether a byte starts a two-byte character in the user's code page (there a trail
// byte can equal '\\'); nullptr treats every byte as a character of its own.
using LeadBytePredicate = bool (*)(unsigned char);

// A display name made safe as part of one file name: separators, characters that Windows
// forbids in names and control characters become '_', and the text is cut to 200 bytes
// (never inside a two-byte character).
std::string SafeFileNamePart(std::string_view name, LeadBytePredicate isLeadByte = nullptr);

// directory (ending in a separator) + safe name + the source's CRC-32 as "%08X" + ".QZD".
// When that file exists already (another item with the same name and content), "_2", "_3"
// and so on are put before ".QZD" until the name is free; empty when no free name is found.
std::string MakeEncodedPath(std::string_view directory, std::string_view name, const std::string& sourcePath,
                            EncodedFileAccess& files = DefaultEncodedFileAccess(), LeadBytePredicate isLeadByte = nullptr);
