#include "win/wide_text.h"

#include <cwchar>

#include "win/code_page.h"

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wide characters are UTF-16 units");

std::wstring WideText::From(std::string_view text) {
  const std::u16string wide = CodePage::Utf8ToUtf16(text);
  return std::wstring(reinterpret_cast<const wchar_t*>(wide.data()), wide.size());
}

std::string WideText::ToUtf8(std::wstring_view text) {
  return CodePage::Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
}

std::string WideText::ToUtf8(const wchar_t* text) {
  return text != nullptr ? ToUtf8(std::wstring_view(text, std::wcslen(text))) : std::string();
}

std::string WideText::OfWindow(HWND window) {
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
  const int n = ::GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
  text.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
  return ToUtf8(text);
}

bool WideText::SetWindow(HWND window, std::string_view text) {
  return ::SetWindowTextW(window, From(text).c_str()) != FALSE;
}
