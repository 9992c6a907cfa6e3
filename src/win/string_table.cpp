#include "win/string_table.h"

#include "win/module_path.h"
#include "win/wide_text.h"

std::string StringTable::Load(UINT id) {
  // With no buffer, LoadStringW hands out the resource's own text (not terminated) and its length.
  const wchar_t* text = nullptr;
  const int n = ::LoadStringW(::GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
  if (n <= 0 || text == nullptr) return {};
  return WideText::ToUtf8(std::wstring_view(text, static_cast<std::size_t>(n)));
}

std::string StringTable::FormatText(std::string_view text, std::initializer_list<std::string_view> arguments) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9') {
      const auto index = static_cast<std::size_t>(text[i + 1] - '1');
      if (index < arguments.size()) {
        out += *(arguments.begin() + index);
        ++i;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

std::string StringTable::Format(UINT id, std::initializer_list<std::string_view> arguments) {
  return FormatText(Load(id), arguments);
}

std::string StringTable::AppName() { return ModulePath::BaseName(); }
