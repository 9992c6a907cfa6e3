#include "timesync/adjust_arguments.h"

std::string AdjustArguments::Quote(std::string_view argument) {
  if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string_view::npos) return std::string(argument);
  std::string quoted = "\"";
  std::size_t backslashes = 0;
  for (const char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    // Backslashes are literal unless a quote follows: then each is doubled and the quote escaped.
    quoted.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
    backslashes = 0;
    quoted.push_back(c);
  }
  quoted.append(2 * backslashes, '\\');  // before the closing quote
  quoted.push_back('"');
  return quoted;
}

std::string AdjustArguments::Build(const TimeAdjustSettings& settings) {
  return "adjust --server " + Quote(settings.server) + " --port " + Quote(settings.port) + " --timeout " +
         std::to_string(settings.timeoutMs) + " --retry " + std::to_string(settings.retries);
}
