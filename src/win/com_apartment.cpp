#include "win/com_apartment.h"

#include <objbase.h>

ComApartment::ComApartment()
    : result_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}

ComApartment::~ComApartment() {
  // S_FALSE (the thread was in this apartment already) is balanced by one call too.
  if (SUCCEEDED(result_)) ::CoUninitialize();
}
