// velta-cli encode / decode / info / crc32 / md5: the launcher's encoded files from the command
// line, so that a file can be recovered on any machine with its key.
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli_args.h"
#include "launcher/encoded_file_access.h"
#include "launcher/file_encoding.h"
#include "launcher/md5.h"

namespace {

int UsageError(const char* command, const std::string& problem, const char* usage) {
  std::fprintf(stderr, "velta-cli %s: %s; usage: velta-cli %s\n", command, problem.c_str(), usage);
  return kCliUsage;
}

int Failed(const char* command, const std::string& message) {
  std::fprintf(stderr, "velta-cli %s: %s\n", command, message.c_str());
  return kCliFailed;
}

std::string FullPath(const std::string& path) {
#ifdef _WIN32
  char buffer[1024];
  if (_fullpath(buffer, path.c_str(), sizeof buffer)) return buffer;
#else
  if (char* resolved = realpath(path.c_str(), nullptr)) {
    std::string full(resolved);
    std::free(resolved);
    return full;
  }
#endif
  return path;
}

bool Readable(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f) std::fclose(f);
  return f != nullptr;
}


}  // namespace

int RunEncode(int argc, char** argv) {
  static const char kUsage[] = "encode SRC --name NAME --key KEY [--dir DIR]";
  CliArgs args(argc, argv, 2);
  const auto name = args.Option("--name");
  const auto key = args.Option("--key");
  const auto dir = args.Option("--dir");
  const auto& rest = args.Positional();
  if (args.Error()) return UsageError("encode", args.ErrorText(), kUsage);
  if (rest.size() != 1 || !name || !key) return UsageError("encode", "expected SRC, --name and --key", kUsage);
  const std::string source = FullPath(rest[0]);
  if (!Readable(source)) return Failed("encode", "cannot read " + source);
  std::string folder = FullPath(dir ? *dir : std::string("."));
  if (!folder.empty() && folder.back() != '/' && folder.back() != '\\') {
#ifdef _WIN32
    folder += '\\';
#else
    folder += '/';
#endif
  }
  const std::string dest = MakeEncodedPath(folder, *name, source);
  if (dest.empty()) return Failed("encode", "no free name for the encoded file in " + folder);
  if (!EncodeFile(source, dest, *key)) return Failed("encode", "could not write " + dest);
  std::printf("%s\n", dest.c_str());
  return kCliOk;
}

int RunDecode(int argc, char** argv) {
  static const char kUsage[] = "decode FILE --key KEY [--to PATH]";
  CliArgs args(argc, argv, 2);
  const auto key = args.Option("--key");
  const auto to = args.Option("--to");
  const auto& rest = args.Positional();
  if (args.Error()) return UsageError("decode", args.ErrorText(), kUsage);
  if (rest.size() != 1 || !key) return UsageError("decode", "expected FILE and --key", kUsage);
  if (!Readable(rest[0])) return Failed("decode", "cannot read " + rest[0]);
  EncodedFileInfo info;
  if (!InspectEncodedFile(rest[0], *key, info)) return Failed("decode", "wrong key or damaged file: " + rest[0]);
  std::string restored;
  if (!DecodeFile(rest[0], *key, restored, DefaultEncodedFileAccess(), to ? *to : std::string()))
    return Failed("decode", "could not write " + (to ? *to : info.storedPath));
  std::printf("%s\n", restored.c_str());
  return kCliOk;
}

int RunInfo(int argc, char** argv) {
  static const char kUsage[] = "info FILE --key KEY";
  CliArgs args(argc, argv, 2);
  const auto key = args.Option("--key");
  const auto& rest = args.Positional();
  if (args.Error()) return UsageError("info", args.ErrorText(), kUsage);
  if (rest.size() != 1 || !key) return UsageError("info", "expected FILE and --key", kUsage);
  if (!Readable(rest[0])) return Failed("info", "cannot read " + rest[0]);
  EncodedFileInfo info;
  if (!InspectEncodedFile(rest[0], *key, info)) return Failed("info", "wrong key or damaged file: " + rest[0]);
  std::printf("path: %s\nlength: %llu\nmd5: %s (matches the content)\n", info.storedPath.c_str(),
              static_cast<unsigned long long>(info.contentLength), info.digest.c_str());
  return kCliOk;
}

int RunCrc32(int argc, char** argv) {
  static const char kUsage[] = "crc32 FILE";
  CliArgs args(argc, argv, 2);
  const auto& rest = args.Positional();
  if (args.Error()) return UsageError("crc32", args.ErrorText(), kUsage);
  if (rest.size() != 1) return UsageError("crc32", "expected one FILE", kUsage);
  if (!Readable(rest[0])) return Failed("crc32", "cannot read " + rest[0]);
  std::printf("%08X\n", static_cast<unsigned>(FileCrc32(rest[0])));
  return kCliOk;
}

int RunMd5(int argc, char** argv) {
  static const char kUsage[] = "md5 FILE";
  CliArgs args(argc, argv, 2);
  const auto& rest = args.Positional();
  if (args.Error()) return UsageError("md5", args.ErrorText(), kUsage);
  if (rest.size() != 1) return UsageError("md5", "expected one FILE", kUsage);
  std::FILE* f = std::fopen(rest[0].c_str(), "rb");
  if (!f) return Failed("md5", "cannot read " + rest[0]);
  Md5 md5;
  std::vector<char> chunk(1 << 20);
  std::size_t got;
  while ((got = std::fread(chunk.data(), 1, chunk.size(), f)) > 0) md5.Update(chunk.data(), got);
  const bool bad = std::ferror(f) != 0;
  std::fclose(f);
  if (bad) return Failed("md5", "read error in " + rest[0]);
  std::printf("%s\n", HexDigest(md5.Final()).c_str());
  return kCliOk;
}
