// Hand-edited settings files whose last line is a value, with and without its
// line end, in each line-end style: the value on the last line reads as it
// stands, and writing the values back as read keeps them. Shared by the
// portable test and the Windows one, which checks the system's own reading.
#pragma once

#include <string>
#include <vector>

namespace ini_last_line {

struct Value {
  const char* key;
  const char* text;
};

// The three values of [Settings]; each case puts another one last.
inline const std::vector<Value>& Values() {
  static const std::vector<Value> values = {{"Format", "%H:%M"}, {"left", "10"}, {"Font", "0A0B"}};
  return values;
}

struct Case {
  std::string name;
  std::string text;      // as the user left it
  std::string saved;     // after every value was written back as read
  const char* lastKey;
};

inline std::vector<Case> Cases() {
  struct Ends {
    const char* name;
    const char* eol;   // every line's end
    const char* last;  // the last line's
  };
  const Ends ends[] = {
      {"CRLF", "\r\n", "\r\n"}, {"LF", "\n", "\n"}, {"CR", "\r", "\r"},
      {"CRLF_none", "\r\n", ""}, {"LF_none", "\n", ""}, {"CR_none", "\r", ""},
  };
  std::vector<Case> cases;
  const std::size_t n = Values().size();
  for (const Ends& e : ends) {
    for (std::size_t last = 0; last < n; ++last) {
      Case c;
      c.name = std::string(e.name) + "_" + Values()[last].key + "_last";
      c.lastKey = Values()[last].key;
      std::string lines = std::string("[Settings]") + e.eol;
      for (std::size_t i = 1; i <= n; ++i) {
        const Value& v = Values()[(last + i) % n];  // the one at `last` comes at the end
        lines += std::string(v.key) + "=" + v.text;
        if (i < n) lines += e.eol;
      }
      c.text = lines + e.last;
      c.saved = lines + e.eol;  // a write ends the last line with the file's own line end
      cases.push_back(std::move(c));
    }
  }
  return cases;
}

}  // namespace ini_last_line
