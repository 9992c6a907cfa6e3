// velta-cli: the clock's core from the command line.
#include <clocale>
#include <cstdio>
#include <cstring>

#include "cli/cli_args.h"

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
    {"ini", RunIni, "ini FILE sections | keys SECTION | get[-int] SECTION KEY [--default V] | set[-int] SECTION KEY V | delete SECTION [KEY]"},
    {"encode", RunEncode, "encode SRC --name NAME --key KEY [--dir DIR]"},
    {"decode", RunDecode, "decode FILE --key KEY [--to PATH] [--force]"},
    {"info", RunInfo, "info FILE --key KEY"},
    {"crc32", RunCrc32, "crc32 FILE"},
    {"md5", RunMd5, "md5 FILE"},
    {"ntp", RunNtp, "ntp HOST [--port P] [--timeout MS] [--retry N]"},
#ifdef _WIN32
    {"adjust", RunAdjust, "adjust [--server HOST] [--port P] [--timeout MS] [--retry N]"},
#endif
};

int Usage(FILE* out) {
  std::fprintf(out, "usage: velta-cli COMMAND ...\n");
  for (const Command& c : kCommands) std::fprintf(out, "  velta-cli %s\n", c.usage);
  return out == stdout ? kCliOk : kCliUsage;
}

}  // namespace

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  if (argc < 2) return Usage(stderr);
  if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "help") == 0) return Usage(stdout);
  for (const Command& c : kCommands) {
    if (std::strcmp(argv[1], c.name) == 0) return c.run(argc, argv);
  }
  std::fprintf(stderr, "velta-cli: unknown command \"%s\"\n", argv[1]);
  return Usage(stderr);
}
