#include "cli/cli_args.h"

#include <algorithm>
#include <utility>

CliArgs::CliArgs(int argc, char** argv, int first, std::vector<std::string> names) : names_(std::move(names)) {
  for (int i = first; i < argc; ++i) args_.emplace_back(argv[i]);
}

void CliArgs::Fail(std::string text) {
  if (error_) return;  // the first problem is the one told
  error_ = true;
  errorText_ = std::move(text);
}

std::optional<std::string> CliArgs::Option(const std::string& name) {
  std::optional<std::string> value;
  bool seen = false;
  for (std::size_t i = 0; i < args_.size();) {
    const std::string& a = args_[i];
    const auto at = args_.begin() + static_cast<std::ptrdiff_t>(i);
    if (a.size() > name.size() && a.compare(0, name.size(), name) == 0 && a[name.size()] == '=') {
      if (std::exchange(seen, true)) Fail(name + " given twice");
      value = a.substr(name.size() + 1);
      args_.erase(at);
      continue;
    }
    if (a != name) {
      ++i;
      continue;
    }
    if (std::exchange(seen, true)) Fail(name + " given twice");
    const bool hasValue =
        i + 1 < args_.size() && std::find(names_.begin(), names_.end(), args_[i + 1]) == names_.end();
    if (!hasValue) {
      Fail(name + " needs a value");
      args_.erase(at);
      continue;
    }
    value = args_[i + 1];
    args_.erase(at, at + 2);
  }
  return value;
}

bool CliArgs::Flag(const std::string& name) {
  const auto n = std::count(args_.begin(), args_.end(), name);
  if (n > 1) Fail(name + " given twice");
  args_.erase(std::remove(args_.begin(), args_.end(), name), args_.end());
  return n > 0;
}

const std::vector<std::string>& CliArgs::Positional() {
  positional_.clear();
  for (const std::string& a : args_) {
    if (a.size() > 2 && a[0] == '-' && a[1] == '-')
      Fail("unknown option " + a);
    else
      positional_.push_back(a);
  }
  return positional_;
}
