#include "win/code_page.h"

#include <cstdint>

#ifndef _WIN32
#include <cerrno>
#include <iconv.h>
#include <vector>
#endif

namespace {

// Decodes one sequence at text[at]; the code point, and its length in bytes, or 0 for an
// ill-formed one. With lone surrogates allowed, ED A0..BF xx decodes too.
char32_t DecodeOne(std::string_view text, std::size_t at, std::size_t& length, bool allowSurrogates) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
  const unsigned char b0 = byte(0);
  length = 0;
  if (b0 < 0x80) {
    length = 1;
    return b0;
  }
  std::size_t n;
  char32_t cp;
  char32_t min;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    n = 2, cp = b0 & 0x1F, min = 0x80;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    n = 3, cp = b0 & 0x0F, min = 0x800;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    n = 4, cp = b0 & 0x07, min = 0x10000;
  } else {
    return 0;
  }
  if (text.size() - at < n) return 0;
  for (std::size_t i = 1; i < n; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (byte(i) & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF) return 0;
  if (cp >= 0xD800 && cp <= 0xDFFF && !allowSurrogates) return 0;
  length = n;
  return cp;
}

void Append(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

class Utf8Page : public CodePage {
 public:
  unsigned Id() const override { return kUtf8; }
  bool ToUtf8(std::string_view bytes, std::string& text) const override {
    if (!IsUtf8(bytes)) return false;
    text.assign(bytes);
    return true;
  }
  bool FromUtf8(std::string_view text, std::string& bytes) const override { return ToUtf8(text, bytes); }
};

}  // namespace

bool CodePage::IsAscii(std::string_view text) {
  for (const char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

bool CodePage::IsUtf8(std::string_view bytes) {
  for (std::size_t at = 0, n = 0; at < bytes.size(); at += n) {
    DecodeOne(bytes, at, n, false);
    if (n == 0) return false;
  }
  return true;
}

std::u16string CodePage::Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t at = 0, n = 0; at < text.size(); at += n) {
    char32_t cp = DecodeOne(text, at, n, true);
    if (n == 0) {
      cp = 0xFFFD;
      n = 1;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (cp >> 10));
      out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
  }
  return out;
}

std::string CodePage::Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t cp = text[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    }
    Append(out, cp);  // a lone surrogate keeps its own three-byte form
  }
  return out;
}

const CodePage& CodePage::Utf8() {
  static const Utf8Page page;
  return page;
}

#ifndef _WIN32
namespace {

// One conversion through iconv; false when any input byte or character does not convert.
bool Convert(const char* to, const char* from, std::string_view in, std::string& out) {
  iconv_t cd = ::iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  std::vector<char> buffer(in.size() * 4 + 16);
  char* source = const_cast<char*>(in.data());
  std::size_t left = in.size();
  char* dest = buffer.data();
  std::size_t room = buffer.size();
  const std::size_t r = ::iconv(cd, &source, &left, &dest, &room);
  const bool flushed = ::iconv(cd, nullptr, nullptr, &dest, &room) != static_cast<std::size_t>(-1);
  ::iconv_close(cd);
  // iconv counts characters it converted inexactly in its result: those are refused too.
  if (r != 0 || left != 0 || !flushed) return false;
  out.assign(buffer.data(), static_cast<std::size_t>(dest - buffer.data()));
  return true;
}

class IconvPage : public CodePage {
 public:
  IconvPage(unsigned id, std::string name) : id_(id), name_(std::move(name)) {}
  unsigned Id() const override { return id_; }
  bool ToUtf8(std::string_view bytes, std::string& text) const override {
    return Convert("UTF-8", name_.c_str(), bytes, text);
  }
  bool FromUtf8(std::string_view text, std::string& bytes) const override {
    if (!IsUtf8(text)) return false;
    std::string back;
    // Exact only: what goes out must come back as the same text.
    return Convert(name_.c_str(), "UTF-8", text, bytes) && Convert("UTF-8", name_.c_str(), bytes, back) &&
           back == text;
  }

 private:
  unsigned id_;
  std::string name_;
};

}  // namespace

std::unique_ptr<CodePage> CodePage::Native(unsigned id) {
  if (id == kUtf8) return std::make_unique<Utf8Page>();
  const std::string name = "CP" + std::to_string(id);
  iconv_t cd = ::iconv_open("UTF-8", name.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return nullptr;
  ::iconv_close(cd);
  return std::make_unique<IconvPage>(id, name);
}
#endif
