// The COM apartment of the thread that creates it: apartment-threaded, as the
// shell asks of any thread that calls ShellExecuteEx (some file types are
// opened through COM handlers).
#pragma once

#include <windows.h>

class ComApartment {
 public:
  ComApartment();
  // Leaves the apartment only if the constructor entered it.
  ~ComApartment();
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

  // False when the thread was in another apartment already (or COM refused):
  // the thread then stays as it was.
  bool entered() const { return SUCCEEDED(result_); }

 private:
  HRESULT result_;
};
