#include "launcher/ascii_code_page.h"

const CodePage& AsciiCodePage::Instance() {
  static const AsciiCodePage page;
  return page;
}

bool AsciiCodePage::ToUtf8(std::string_view bytes, std::string& text) const {
  if (!IsAscii(bytes)) return false;
  text.assign(bytes);
  return true;
}

bool AsciiCodePage::FromUtf8(std::string_view text, std::string& bytes) const { return ToUtf8(text, bytes); }
