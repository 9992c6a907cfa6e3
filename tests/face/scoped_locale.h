// The C runtime in another locale for one test.
#pragma once

#include <clocale>
#include <string>

// Sets the C runtime's locale for one test, as the clock sets the user's at start-up.
class ScopedLocale {
 public:
  explicit ScopedLocale(const char* name) : previous_(std::setlocale(LC_ALL, nullptr)) {
    ok_ = std::setlocale(LC_ALL, name) != nullptr;
  }
  ~ScopedLocale() { std::setlocale(LC_ALL, previous_.c_str()); }
  bool ok() const { return ok_; }

 private:
  std::string previous_;
  bool ok_ = false;
};
