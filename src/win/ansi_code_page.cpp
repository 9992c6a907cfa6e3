#include "win/ansi_code_page.h"

#include <windows.h>

#include <cwchar>

#include "win/wide_text.h"

namespace {

unsigned LegacyId() {
  wchar_t digits[8] = {};
  if (::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE, digits, 8) > 0) {
    const unsigned id = static_cast<unsigned>(std::wcstoul(digits, nullptr, 10));
    if (id != 0 && id != CP_ACP && ::IsValidCodePage(id)) return id;
  }
  return 1252;
}

}  // namespace

const CodePage& AnsiCodePage::System() {
  static const AnsiCodePage page(::GetACP());
  return page.Id() == CodePage::kUtf8 ? CodePage::Utf8() : page;
}

const CodePage& AnsiCodePage::Legacy() {
  static const AnsiCodePage page(LegacyId());
  return page.Id() == CodePage::kUtf8 ? CodePage::Utf8() : page;
}

bool AnsiCodePage::ToUtf8(std::string_view bytes, std::string& text) const {
  if (id_ == kUtf8) return Utf8().ToUtf8(bytes, text);
  text.clear();
  if (bytes.empty()) return true;
  if (bytes.size() > 0x3FFFFFFF) return false;
  const int size = static_cast<int>(bytes.size());
  const int n = ::MultiByteToWideChar(id_, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
  if (n <= 0) return false;
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  if (::MultiByteToWideChar(id_, MB_ERR_INVALID_CHARS, bytes.data(), size, wide.data(), n) != n) return false;
  text = WideText::ToUtf8(wide);
  return true;
}

bool AnsiCodePage::FromUtf8(std::string_view text, std::string& bytes) const {
  if (id_ == kUtf8) return Utf8().FromUtf8(text, bytes);
  bytes.clear();
  if (text.empty()) return true;
  if (!IsUtf8(text)) return false;
  const std::wstring wide = WideText::From(text);
  if (wide.size() > 0x3FFFFFFF) return false;
  const int size = static_cast<int>(wide.size());
  BOOL usedDefault = FALSE;
  const int n = ::WideCharToMultiByte(id_, WC_NO_BEST_FIT_CHARS, wide.data(), size, nullptr, 0, nullptr, &usedDefault);
  if (n <= 0 || usedDefault) return false;
  bytes.assign(static_cast<std::size_t>(n), '\0');
  if (::WideCharToMultiByte(id_, WC_NO_BEST_FIT_CHARS, wide.data(), size, bytes.data(), n, nullptr, &usedDefault) != n ||
      usedDefault)
    return false;
  // Exact only: the bytes must read back as the same text.
  std::string back;
  return ToUtf8(bytes, back) && back == text;
}
