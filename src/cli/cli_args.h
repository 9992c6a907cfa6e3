// Small argument reader shared by the velta-cli subcommands.
#pragma once

#include <optional>
#include <string>
#include <vector>

class CliArgs {
 public:
  // `names`: every option and flag the command takes. A value after an option is never one of
  // them ("--key --force" lacks the key); "--name=VALUE" gives any value, one starting with "--" too.
  CliArgs(int argc, char** argv, int first, std::vector<std::string> names = {});

  // Value of "--name VALUE" or "--name=VALUE" (removed from the positional list); nullopt when
  // absent. An option given twice, or without its value, makes Error() true.
  std::optional<std::string> Option(const std::string& name);
  bool Flag(const std::string& name);
  // What is left once every option was taken; unknown "--x" options make Error() true.
  const std::vector<std::string>& Positional();
  bool Error() const { return error_; }
  const std::string& ErrorText() const { return errorText_; }

 private:
  void Fail(std::string text);

  std::vector<std::string> args_;
  std::vector<std::string> names_;
  std::vector<std::string> positional_;
  bool error_ = false;
  std::string errorText_;
};

// Exit codes of velta-cli.
enum CliExit { kCliOk = 0, kCliFailed = 1, kCliUsage = 2 };
