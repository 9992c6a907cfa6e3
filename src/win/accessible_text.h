// What a window shows, for screen readers: the client area's accessible name is the text the
// window draws (the clock's time, a counter's time left), while the window keeps its title for
// programs that find it by title. The window answers WM_GETOBJECT for its client area with a
// small accessible object that reads the text through a link the window cuts when it goes, and
// raises EVENT_OBJECT_NAMECHANGE when the text changes. Everything a window's standard client
// object says besides the name (place, state, children) comes from that object where the system
// has one; oleacc is loaded from the system folder when first needed.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>

class AccessibleText {
 public:
  AccessibleText();
  ~AccessibleText();
  AccessibleText(const AccessibleText&) = delete;
  AccessibleText& operator=(const AccessibleText&) = delete;

  // The text the window now shows (as drawn: "&x" shows "x", "&&" one "&"). Tells listeners
  // when it differs from the last one.
  void Update(HWND window, std::wstring_view drawn);
  const std::wstring& text() const;

  // WM_GETOBJECT: true with *result for the client area's object, false for every other
  // object (the default processing answers those).
  bool OnGetObject(HWND window, WPARAM wParam, LPARAM lParam, LRESULT* result);

  // The window is going: objects still held by clients answer that they are gone.
  void Disconnect();

  // The text DrawText shows for `text` when prefixes are on: each "&" takes the character
  // after it (underlined), "&&" is one "&"; a lone "&" at the end shows nothing.
  static std::wstring WithoutPrefixes(std::wstring_view text);

  struct Shared;

 private:
  std::shared_ptr<Shared> shared_;
};
