// velta-cli: the clock's core from the command line.
#include <clocale>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>

#include "win/module_path.h"
#include "win/wide_text.h"
#endif

#include "cli/cli_args.h"
#include "cli/cli_console.h"

int RunFormat(int argc, char** argv);
int RunIni(int argc, char** argv);
int RunEncode(int argc, char** argv);
int RunDecode(int argc, char** argv);
int RunInfo(int argc, char** argv);
int RunCrc32(int argc, char** argv);
int RunMd5(int argc, char** argv);
int RunNtp(int argc, char** argv);
#ifdef _WIN32
int RunAdjust(int argc, char** argv);
#endif

namespace {

struct Command {
  const char* name;
  int (*run)(int, char**);
  const char* usage;
};

const Command kCommands[] = {
    {"format", RunFormat, "format FORMAT [--at \"YYYY-MM-DD HH:MM:SS\"] [--countdown DURATION_MS --elapsed MS]"},
    {"ini", RunIni,
     "ini FILE sections | keys SECTION | get SECTION KEY [--default V] | get-int SECTION KEY [--default N] | set "
     "SECTION KEY V | set-int SECTION KEY N | delete SECTION [KEY]"},
    {"encode", RunEncode, "encode SRC --name NAME --key KEY [--dir DIR] [--code-page N]"},
    {"decode", RunDecode, "decode FILE --key KEY [--to PATH] [--force] [--code-page N]"},
    {"info", RunInfo, "info FILE --key KEY [--code-page N]"},
    {"crc32", RunCrc32, "crc32 FILE"},
    {"md5", RunMd5, "md5 FILE"},
    {"ntp", RunNtp, "ntp HOST [--port P] [--timeout MS] [--retry N] [--samples N]"},
#ifdef _WIN32
    {"adjust", RunAdjust,
     "adjust [--server HOST] [--port P] [--timeout MS] [--retry N] [--samples N] [--allow-step]"},
#endif
};

int Usage(FILE* out) {
  CliConsole::Print(out, "usage: velta-cli COMMAND ...\n");
  for (const Command& c : kCommands) CliConsole::Print(out, "  velta-cli %s\n", c.usage);
  return out == stdout ? kCliOk : kCliUsage;
}

// The arguments as UTF-8. On Windows they are read wide from the command line: the C
// runtime's narrow ones are in the ANSI code page, with a "best fit" letter (or '?') for a
// character it lacks, which could name another file.
std::vector<std::string> Arguments(int argc, char** argv) {
  std::vector<std::string> args;
#ifdef _WIN32
  (void)argc;
  (void)argv;
  int count = 0;
  if (wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count)) {
    for (int i = 0; i < count; ++i) args.push_back(WideText::ToUtf8(wide[i]));
    ::LocalFree(wide);
  }
#else
  for (int i = 0; i < argc; ++i) args.emplace_back(argv[i]);
#endif
  return args;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
  // It may run as administrator from a folder the user can write to: DLLs come from the system folder.
  ModulePath::SearchSystemFolderOnly();
#endif
  std::setlocale(LC_ALL, "");
  std::vector<std::string> args = Arguments(argc, argv);
  // The commands take C strings; these are UTF-8 and live until the end.
  std::vector<char*> utf8;
  for (std::string& a : args) utf8.push_back(a.data());
  utf8.push_back(nullptr);
  argc = static_cast<int>(args.size());
  argv = utf8.data();
  if (argc < 2) return Usage(stderr);
  if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "help") == 0) return Usage(stdout);
  for (const Command& c : kCommands) {
    if (std::strcmp(argv[1], c.name) == 0) return c.run(argc, argv);
  }
  CliConsole::Print(stderr, "velta-cli: unknown command \"%s\"\n", argv[1]);
  return Usage(stderr);
}
