#include "timesync/adjust_arguments.h"

#include <cerrno>
#include <cstdlib>

namespace {

// Decimal digits, with a "-" only in front (stored values are written so): strtoll alone
// would take " 5" and "+5" as 5.
bool ParseInt32(const std::string& text, long long minimum, long long maximum, std::int32_t& value) {
  const std::size_t digits = !text.empty() && text[0] == '-' ? 1 : 0;
  if (text.size() <= digits || text.size() > 12 || text.find_first_not_of("0123456789", digits) != std::string::npos)
    return false;
  char* end = nullptr;
  errno = 0;
  const long long parsed = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || end == nullptr || *end != '\0' || parsed < minimum || parsed > maximum) return false;
  value = static_cast<std::int32_t>(parsed);
  return true;
}

}  // namespace

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

std::string AdjustArguments::Build(const TimeAdjustSettings& settings, bool allowStep,
                                   std::optional<std::int64_t> approvedSeconds) {
  return "adjust --server " + Quote(settings.server) + " --port " + Quote(settings.port) + " --timeout " +
         std::to_string(settings.timeoutMs) + " --retry " + std::to_string(settings.retries) + " --samples " +
         std::to_string(settings.samples) + (allowStep ? " --allow-step" : "") +
         (approvedSeconds ? " --approved-step " + std::to_string(*approvedSeconds) : "");
}

bool AdjustArguments::Parse(const std::vector<std::string>& args, TimeAdjustSettings& settings, bool& allowStep,
                            std::string& error, std::optional<std::int64_t>* approvedSeconds) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& name = args[i];
    if (name == "--allow-step") {
      allowStep = true;
      continue;
    }
    const bool takesValue = name == "--server" || name == "--port" || name == "--timeout" || name == "--retry" ||
                            name == "--samples" || (approvedSeconds != nullptr && name == "--approved-step");
    if (!takesValue) {
      error = name.rfind("--", 0) == 0 ? "unknown option " + name : "no HOST argument; use --server";
      return false;
    }
    if (i + 1 >= args.size()) {
      error = name + " needs a value";
      return false;
    }
    const std::string& value = args[++i];
    if (name == "--server") {
      settings.server = value;
    } else if (name == "--port") {
      settings.port = value;
    } else if (name == "--timeout") {
      // The clock's stored values pass as they are; the time-out may not be negative.
      if (!ParseInt32(value, 0, 2147483647ll, settings.timeoutMs)) {
        error = "--timeout takes milliseconds in plain decimal digits (0 to 2147483647)";
        return false;
      }
    } else if (name == "--retry") {
      if (!ParseInt32(value, -2147483647ll - 1, 2147483647ll, settings.retries)) {
        error = "--retry takes a whole number of attempts";
        return false;
      }
    } else if (name == "--approved-step") {
      // Seconds: a century and more either way fits.
      char* end = nullptr;
      errno = 0;
      const long long seconds = std::strtoll(value.c_str(), &end, 10);
      if (value.empty() || value.size() > 20 || errno != 0 || *end != '\0' || seconds > (1ll << 40) ||
          seconds < -(1ll << 40)) {
        error = "--approved-step takes whole seconds";
        return false;
      }
      *approvedSeconds = seconds;
    } else if (!ParseInt32(value, 1, 100, settings.samples)) {
      error = "--samples takes 1 to 100";
      return false;
    }
  }
  return true;
}
