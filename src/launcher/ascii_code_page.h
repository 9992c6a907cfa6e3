// The code page of a system that has no ANSI code page (velta-cli natively): plain ASCII, the
// one text every Windows code page writes with the same bytes. A stored path or a key in it
// means the same on every system; any other text is refused, so a path goes into an encoded
// file as UTF-8 (marked) and a key must name the code page it was typed in.
#pragma once

#include "win/code_page.h"

class AsciiCodePage : public CodePage {
 public:
  static constexpr unsigned kId = 20127;  // Windows' number for US-ASCII

  static const CodePage& Instance();

  unsigned Id() const override { return kId; }
  bool ToUtf8(std::string_view bytes, std::string& text) const override;
  bool FromUtf8(std::string_view text, std::string& bytes) const override;
};
