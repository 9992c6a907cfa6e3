// velta-cli: the clock's core from the command line.
#include <clocale>
#include <cstdio>
#include <cstring>

#include "cli/cli_args.h"

int RunFormat(int argc, char** argv);
int RunIni(int argc, char** argv);

namespace {

struct Command {
  const char* name;
  int (*run)(int, char**);
  const char* usage;
};

const Command kCommands[] = {
    {"format", RunFormat, "format FORMAT [--at \"YYYY-MM-DD HH:MM:SS\"] [--countdown DURATION_MS --elapsed MS]"},
    {"ini", RunIni, "ini FILE sections | keys SECTION | get[-int] SECTION KEY [--default V] | set[-int] SECTION KEY V | delete SECTION [KEY]"},
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
