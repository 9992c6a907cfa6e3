#include "cli/cli_args.h"

CliArgs::CliArgs(int argc, char** argv, int first) {
  for (int i = first; i < argc; ++i) args_.emplace_back(argv[i]);
}

std::optional<std::string> CliArgs::Option(const std::string& name) {
  for (std::size_t i = 0; i < args_.size(); ++i) {
    if (args_[i] != name) continue;
    if (i + 1 >= args_.size()) {
      error_ = true;
      errorText_ = name + " needs a value";
      args_.erase(args_.begin() + static_cast<std::ptrdiff_t>(i));
      return std::nullopt;
    }
    std::string value = args_[i + 1];
    args_.erase(args_.begin() + static_cast<std::ptrdiff_t>(i), args_.begin() + static_cast<std::ptrdiff_t>(i) + 2);
    return value;
  }
  return std::nullopt;
}

bool CliArgs::Flag(const std::string& name) {
  for (std::size_t i = 0; i < args_.size(); ++i) {
    if (args_[i] == name) {
      args_.erase(args_.begin() + static_cast<std::ptrdiff_t>(i));
      return true;
    }
  }
  return false;
}

const std::vector<std::string>& CliArgs::Positional() {
  positional_.clear();
  for (const std::string& a : args_) {
    if (a.size() > 2 && a[0] == '-' && a[1] == '-') {
      error_ = true;
      errorText_ = "unknown option " + a;
    } else {
      positional_.push_back(a);
    }
  }
  return positional_;
}
