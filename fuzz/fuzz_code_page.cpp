// Any bytes as UTF-8, any units as UTF-16: the conversions read nothing out of bounds, text
// that is UTF-8 comes back byte for byte, and any UTF-16 (lone surrogates too: file names may
// hold them) comes back unit for unit.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "win/code_page.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::u16string wide = CodePage::Utf8ToUtf16(bytes);
  if (CodePage::IsUtf8(bytes) && CodePage::Utf16ToUtf8(wide) != bytes) std::abort();
  std::u16string units(size / 2, u'\0');
  for (std::size_t i = 0; i < units.size(); ++i)
    units[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
  if (CodePage::Utf8ToUtf16(CodePage::Utf16ToUtf8(units)) != units) std::abort();
  return 0;
}
