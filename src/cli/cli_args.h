// Small argument reader shared by the velta-cli subcommands.
#pragma once

#include <optional>
#include <string>
#include <vector>

class CliArgs {
 public:
  CliArgs(int argc, char** argv, int first);

  // Value of "--name VALUE" (removed from the positional list); nullopt when absent.
  std::optional<std::string> Option(const std::string& name);
  bool Flag(const std::string& name);
  // What is left once every option was taken; unknown "--x" options make Error() true.
  const std::vector<std::string>& Positional();
  bool Error() const { return error_; }
  const std::string& ErrorText() const { return errorText_; }

 private:
  std::vector<std::string> args_;
  std::vector<std::string> positional_;
  bool error_ = false;
  std::string errorText_;
};

// Exit codes of velta-cli.
enum CliExit { kCliOk = 0, kCliFailed = 1, kCliUsage = 2 };
