// velta-cli encode / decode / info / crc32 / md5: the launcher's encoded files from the command
// line, so that a file can be recovered on any machine with its key.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli_args.h"
#include "cli/cli_console.h"
#include "cli/cli_files.h"
#include "launcher/file_encoding.h"
#include "launcher/md5.h"

namespace {

int UsageError(const char* command, const std::string& problem, const char* usage) {
  CliConsole::Print(stderr, "velta-cli %s: %s; usage: velta-cli %s\n", command, problem.c_str(), usage);
  return kCliUsage;
}

int Failed(const char* command, const std::string& message) {
  CliConsole::Print(stderr, "velta-cli %s: %s\n", command, message.c_str());
  return kCliFailed;
}

std::string CodePageName(const CodePage& page) {
  return page.Id() == AsciiCodePage::kId ? std::string("plain ASCII") : "code page " + std::to_string(page.Id());
}

// The key as the encoding takes it: its bytes in the code page. A character the code page
// lacks is refused, never replaced by a look-alike (which would make it another key).
bool KeyOf(const char* command, const std::string& text, const CodePage& page, std::string& bytes) {
  if (KeyBytes(text, page, bytes)) return true;
  Failed(command, "the key holds a character that " + CodePageName(page) +
                      " cannot hold; give --code-page with the code page the key was typed in");
  return false;
}

std::string WithSeparator(std::string folder) {
  if (!folder.empty() && folder.back() != '/' && folder.back() != '\\') {
#ifdef _WIN32
    folder += '\\';
#else
    folder += '/';
#endif
  }
  return folder;
}

// The message for an encoded-file job that did not come out Ok.
int Refused(const char* command, const EncodedFileOutcome& outcome, const std::string& file,
            const std::string& target) {
  using Status = EncodedFileOutcome::Status;
  switch (outcome.status) {
    case Status::Ok:
      return kCliOk;
    case Status::Unreadable:
      return Failed(command, "cannot read " + file + ": " + outcome.error.message);
    case Status::NotEncoded:
      return Failed(command, "wrong key or damaged file: " + file);
    case Status::UnsafePath:
      if (std::string(command) == "encode")
        return Failed(command, "cannot encode " + file + ": its path is " + StoredPath::Describe(outcome.pathProblem));
      return Failed(command, "the stored path \"" + outcome.storedPath + "\" is " +
                                 StoredPath::Describe(outcome.pathProblem) +
                                 (outcome.pathProblem == StoredPath::Problem::NotText ? " (see --code-page)" : "") +
                                 "; name the file to write with --to");
    case Status::TargetExists:
      return Failed(command, target + " exists; give --force to replace it, or --to to write elsewhere");
    case Status::WriteFailed:
      return Failed(command, "could not write " + target + ": " + outcome.error.message);
    case Status::Cancelled:
      return Failed(command, "cancelled");
    case Status::TargetIsProtected:
      return Failed(command, target + " is the encoded file itself; name another file with --to");
  }
  return kCliFailed;
}

}  // namespace

int RunEncode(int argc, char** argv) {
  static const char kUsage[] = "encode SRC --name NAME --key KEY [--dir DIR] [--code-page N]";
  CliArgs args(argc, argv, 2, {"--name", "--key", "--dir", "--code-page"});
  const auto name = args.Option("--name");
  const auto key = args.Option("--key");
  const auto dir = args.Option("--dir");
  const auto codePageId = args.Option("--code-page");
  const auto& rest = args.Positional();
  if (args.Error()) return UsageError("encode", args.ErrorText(), kUsage);
  if (rest.size() != 1 || !name || !key) return UsageError("encode", "expected SRC, --name and --key", kUsage);
  const CodePage* page = CliFiles::StoredCodePage("encode", codePageId);
  std::string keyBytes;
  if (page == nullptr) return kCliUsage;  // a code page given that this system does not know
  if (!KeyOf("encode", *key, *page, keyBytes)) return kCliFailed;
  const std::string source = CliFiles::FullPath(rest[0]);
  if (const int refused = CliFiles::RefuseUnreadable("encode", source)) return refused;
  const std::string folder = WithSeparator(CliFiles::FullPath(dir ? *dir : std::string(".")));
  if (CliFiles::Files().KindOf(folder) != FileAccess::Kind::Directory)
    return Failed("encode", folder + " is not a folder");
  const EncodedFileOutcome outcome =
      EncodeNewFile(source, {folder}, *name, keyBytes, CliFiles::Files(), nullptr, *page);
  if (!outcome.ok()) return Refused("encode", outcome, source, "a new file in " + folder);
  CliConsole::Print(stdout, "%s\n", outcome.path.c_str());
  return kCliOk;
}

// A link at the target is neither replaced by the plain file nor written through (to a file
// somewhere else, perhaps of another user's): the user names the file itself.
const char kLinkRefused[] = " is a symbolic link; nothing was written. Name the file it leads to with --to";

int RunDecode(int argc, char** argv) {
  static const char kUsage[] = "decode FILE --key KEY [--to PATH] [--force] [--code-page N]";
  CliArgs args(argc, argv, 2, {"--key", "--to", "--code-page", "--force"});
  const auto key = args.Option("--key");
  const auto to = args.Option("--to");
  const auto codePageId = args.Option("--code-page");
  const bool force = args.Flag("--force");
  const auto& rest = args.Positional();
  if (args.Error()) return UsageError("decode", args.ErrorText(), kUsage);
  if (rest.size() != 1 || !key) return UsageError("decode", "expected FILE and --key", kUsage);
  const CodePage* page = CliFiles::StoredCodePage("decode", codePageId);
  std::string keyBytes;
  if (page == nullptr) return kCliUsage;  // a code page given that this system does not know
  if (!KeyOf("decode", *key, *page, keyBytes)) return kCliFailed;
  if (to) {
    if (to->empty()) return UsageError("decode", "--to needs a file name", kUsage);
    if (CliFiles::Files().KindOf(*to) == FileAccess::Kind::Directory)
      return UsageError("decode", "--to " + *to + " is a folder; name the file to write", kUsage);
    if (CliFiles::SameFile(*to, rest[0])) return UsageError("decode", "--to names the encoded file itself", kUsage);
    if (CliFiles::IsLink(*to)) return UsageError("decode", "--to " + *to + kLinkRefused, kUsage);
  }
  if (const int refused = CliFiles::RefuseUnreadable("decode", rest[0])) return refused;
  if (!to) {
    // The stored path is known from the file's end, read before anything is written.
    EncodedFileInfo info;
    const EncodedFileOutcome looked = InspectEncodedFile(rest[0], keyBytes, info, false, CliFiles::Files(), *page);
    if (looked.ok() && info.pathReadable && CliFiles::IsLink(info.storedPath))
      return Failed("decode", "the stored path " + info.storedPath + kLinkRefused);
  }
  DecodeOptions options;
  options.to = to ? *to : std::string();
  // Whatever the place, a file there is only replaced when asked: a mistyped --to loses nothing.
  options.replace = force;
  const EncodedFileOutcome outcome = DecodeEncodedFile(rest[0], keyBytes, options, CliFiles::Files(), nullptr, *page);
  if (!outcome.ok()) return Refused("decode", outcome, rest[0], to ? *to : outcome.storedPath);
  CliConsole::Print(stdout, "%s\n", outcome.path.c_str());
  return kCliOk;
}

int RunInfo(int argc, char** argv) {
  static const char kUsage[] = "info FILE --key KEY [--code-page N]";
  CliArgs args(argc, argv, 2, {"--key", "--code-page"});
  const auto key = args.Option("--key");
  const auto codePageId = args.Option("--code-page");
  const auto& rest = args.Positional();
  if (args.Error()) return UsageError("info", args.ErrorText(), kUsage);
  if (rest.size() != 1 || !key) return UsageError("info", "expected FILE and --key", kUsage);
  const CodePage* page = CliFiles::StoredCodePage("info", codePageId);
  std::string keyBytes;
  if (page == nullptr) return kCliUsage;  // a code page given that this system does not know
  if (!KeyOf("info", *key, *page, keyBytes)) return kCliFailed;
  if (const int refused = CliFiles::RefuseUnreadable("info", rest[0])) return refused;
  EncodedFileInfo info;
  const EncodedFileOutcome outcome = InspectEncodedFile(rest[0], keyBytes, info, true, CliFiles::Files(), *page);
  if (!outcome.ok()) return Refused("info", outcome, rest[0], rest[0]);
  const std::string stored = info.storedAsUtf8       ? "UTF-8"
                             : info.pathReadable     ? CodePageName(*page)
                                                     : "a code page other than " + CodePageName(*page) + " (see --code-page)";
  CliConsole::Print(stdout, "path: %s\npath stored in: %s\nlength: %llu\nmd5: %s (matches the content)\n",
                    info.storedPath.c_str(), stored.c_str(), static_cast<unsigned long long>(info.contentLength),
                    info.digest.c_str());
  return kCliOk;
}

int RunCrc32(int argc, char** argv) {
  static const char kUsage[] = "crc32 FILE";
  CliArgs args(argc, argv, 2);
  const auto& rest = args.Positional();
  if (args.Error()) return UsageError("crc32", args.ErrorText(), kUsage);
  if (rest.size() != 1) return UsageError("crc32", "expected one FILE", kUsage);
  if (const int refused = CliFiles::RefuseUnreadable("crc32", rest[0])) return refused;
  FileError error;
  const auto crc = FileCrc32(rest[0], CliFiles::Files(), &error);
  if (!crc) return Failed("crc32", "cannot read " + rest[0] + ": " + error.message);
  CliConsole::Print(stdout, "%08X\n", static_cast<unsigned>(*crc));
  return kCliOk;
}

int RunMd5(int argc, char** argv) {
  static const char kUsage[] = "md5 FILE";
  CliArgs args(argc, argv, 2);
  const auto& rest = args.Positional();
  if (args.Error()) return UsageError("md5", args.ErrorText(), kUsage);
  if (rest.size() != 1) return UsageError("md5", "expected one FILE", kUsage);
  if (const int refused = CliFiles::RefuseUnreadable("md5", rest[0])) return refused;
  FileError error;
  const auto file = CliFiles::Files().OpenRead(rest[0], error);
  if (!file) return Failed("md5", "cannot read " + rest[0] + ": " + error.message);
  Md5 md5;
  // Left uninitialised: the reads fill it, and zeroing a megabyte first costs a pass over it.
  constexpr std::size_t kChunk = std::size_t{1} << 20;
  const std::unique_ptr<char[]> chunk(new char[kChunk]);
  for (;;) {
    std::size_t got = 0;
    if (!file->Read(chunk.get(), kChunk, got, error))
      return Failed("md5", "cannot read " + rest[0] + ": " + error.message);
    if (got == 0) break;
    md5.Update(chunk.get(), got);
  }
  CliConsole::Print(stdout, "%s\n", HexDigest(md5.Final()).c_str());
  return kCliOk;
}
