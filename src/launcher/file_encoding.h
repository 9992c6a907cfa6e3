// Encoded launcher files on disk: encoding, restoring, inspecting and naming them. Files are
// streamed in chunks of kEncodedChunkSize, so a job holds a few chunks whatever the file's
// size; a new file is written under a temporary name and put in place only when it is whole
// (FileReplacement), so a failure, a wrong key or a cancel leaves every file as it was.
//
// Paths and names are UTF-8 here. The path stored in a file goes in the writer's code page
// (`codePage`: the system's ANSI code page on Windows) when that holds it in at most 259 bytes,
// byte for byte as every earlier build wrote it, and as marked UTF-8 otherwise
// (encoded_image.h); reading takes a path of the first kind in `codePage`. The key is bytes,
// as the block transform takes them: KeyBytes makes them from typed text.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "launcher/ascii_code_page.h"
#include "launcher/file_progress.h"
#include "launcher/stored_path.h"
#include "storage/file_access.h"
#include "storage/std_file_access.h"

// What became of encoding or decoding a file.
struct EncodedFileOutcome {
  enum class Status {
    Ok,
    Unreadable,    // the source (or the encoded file) could not be opened or read, or is a folder
    NotEncoded,    // a wrong key, or a damaged or foreign file
    UnsafePath,    // the path to store, or the stored one, is not a full path of this system
    TargetExists,  // decoding without replacing: something is at the target already
    WriteFailed,   // the new file could not be written or put in place
    Cancelled,     // the user stopped it
    TargetIsProtected,  // the target is the encoded file itself, or a file DecodeOptions::keep names
  };
  Status status = Status::Ok;
  std::string path;        // the file written: the encoded file, or the restored one (the target refused for TargetIsProtected)
  std::string storedPath;  // decoding: the path stored in the encoded file (as ShownStoredPath for NotText)
  FileError error;         // the system's reason for Unreadable and WriteFailed
  StoredPath::Problem pathProblem = StoredPath::Problem::None;  // for UnsafePath
  bool ok() const { return status == Status::Ok; }
};

// Bytes read, transformed and written at a time; a job holds three such chunks.
constexpr std::size_t kEncodedChunkSize = 4u << 20;

// CRC-32 of a file's content (0 for an empty file); nothing when it cannot be read or is
// not a file, with the reason in error.
std::optional<std::uint32_t> FileCrc32(const std::string& path, FileAccess& files = StdFileAccess::Instance(),
                                       FileError* error = nullptr);

// The key's bytes: typed text in the code page, as earlier builds took it. False when a
// character has no exact counterpart there: a best fit would make two different keys one.
bool KeyBytes(std::string_view keyText, const CodePage& codePage, std::string& bytes);

// Encodes sourcePath into destPath with key, replacing what is at destPath. The source is
// read once and never changed; its path, as given, is what decoding restores to, so it must
// be a full path of this system (at most 259 characters).
// beforeWrite: as DecodeOptions::beforeWrite, for the temporary file beside destPath.
EncodedFileOutcome EncodeFileTo(const std::string& sourcePath, const std::string& destPath, std::string_view key,
                                FileAccess& files = StdFileAccess::Instance(), FileProgress* progress = nullptr,
                                const CodePage& codePage = AsciiCodePage::Instance(),
                                const std::function<bool(const std::string&)>& beforeWrite = {});

// Encodes sourcePath as a new file in the first of `folders` (each ending in a separator)
// that can take one; a missing folder is made first. Its name is the display name made safe
// (SafeFileNamePart), the content's CRC-32 as "%08X" and ".QZD", with "_2", "_3" ... before
// ".QZD" when that name is taken: never another item's file. The CRC comes from the same
// single pass over the source as the digest and the encoding; the name is given at the end.
EncodedFileOutcome EncodeNewFile(const std::string& sourcePath, const std::vector<std::string>& folders,
                                 std::string_view name, std::string_view key,
                                 FileAccess& files = StdFileAccess::Instance(), FileProgress* progress = nullptr,
                                 const CodePage& codePage = AsciiCodePage::Instance());

struct DecodeOptions {
  std::string to;         // write here instead of the stored path (which is then not looked at)
  bool replace = true;    // false: refuse when something is at the target (TargetExists)
  // Files the target must not be, whatever its spelling (the settings file): refused as
  // TargetIsProtected, as the encoded file itself always is.
  std::vector<std::string> keep;
  // Called with the temporary file's name once it exists and before a byte is written to it;
  // false stops the job (WriteFailed). The caller lists the name for a run that is cut short.
  std::function<bool(const std::string& temporary)> beforeWrite;
};

// Restores the original file of an encoded file: to the stored path, which must be a full
// path of this system with no "." or ".." parts, or to options.to. A wrong key or a damaged
// or foreign file is found from the file's end before anything is written; the content is
// written to a temporary file that takes the target's place only after its digest matched.
// The encoded file is left as it is. A stored path in the code page that codePage does not
// read is refused as UnsafePath (NotText) unless options.to is given. Whether the target is the
// encoded file (or a kept one) is decided by the files' identity, never by the names' text.
// True when `target` is the kept file `kept` (the settings file): the same file, or, while
// neither is there yet, the same name in the same folder (the file a restore would make).
bool NamesKeptFile(FileAccess& files, const std::string& target, const std::string& kept);

EncodedFileOutcome DecodeEncodedFile(const std::string& encodedPath, std::string_view key,
                                     const DecodeOptions& options = {}, FileAccess& files = StdFileAccess::Instance(),
                                     FileProgress* progress = nullptr,
                                     const CodePage& codePage = AsciiCodePage::Instance());

struct EncodedFileInfo {
  std::string storedPath;  // UTF-8; ShownStoredPath when pathReadable is false
  bool pathReadable = true;
  bool storedAsUtf8 = false;    // the path was stored as marked UTF-8
  std::size_t storedSize = 0;   // the path's bytes as stored
  std::uint64_t contentLength = 0;
  std::string digest;
};
// Reads what an encoded file holds without writing anything; with checkContent the digest
// is checked against the whole content too. A stored path codePage does not read is no
// failure here (pathReadable is false).
EncodedFileOutcome InspectEncodedFile(const std::string& encodedPath, std::string_view key, EncodedFileInfo& info,
                                      bool checkContent = true, FileAccess& files = StdFileAccess::Instance(),
                                      const CodePage& codePage = AsciiCodePage::Instance());

// Stored path bytes that could not be read as text, for a message: ASCII as it is, every
// other byte as "\xNN".
std::string ShownStoredPath(std::string_view bytes);

// EncodeFileTo and DecodeEncodedFile (to the stored path or overridePath, replacing), true on success.
bool EncodeFile(const std::string& sourcePath, const std::string& destPath, std::string_view key,
                FileAccess& files = StdFileAccess::Instance());
bool DecodeFile(const std::string& encodedPath, std::string_view key, std::string& restoredPath,
                FileAccess& files = StdFileAccess::Instance(), const std::string& overridePath = std::string());

// A display name (UTF-8) made safe as part of one file name, every character the file system
// allows kept (any script, emoji): separators, characters that Windows forbids in names
// (<>:"/\\|?*), control characters, bytes that are not UTF-8 and trailing dots and spaces
// become '_'; a device name (CON, NUL, COM1, ...; also before a dot) gets a '_' in front; the
// text is cut to 200 UTF-16 units (or maxUnits when fewer), never inside a character.
std::string SafeFileNamePart(std::string_view name, std::size_t maxUnits = 200);

// folder + safe name + crc as "%08X" + ("_<number>" from 2 on) + ".QZD", the name cut so that
// the path keeps within 259 characters (UTF-16 units) when the folder leaves room for that.
std::string EncodedFileName(std::string_view folder, std::string_view name, std::uint32_t crc, int number = 1);
