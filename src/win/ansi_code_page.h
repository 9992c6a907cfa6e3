// The Windows code pages that stored files were written in: the system's ANSI code page, and
// the user locale's legacy one (which differs only where Windows runs with UTF-8 as its ANSI
// code page, "Beta: Use Unicode UTF-8 for worldwide language support").
#pragma once

#include "win/code_page.h"

class AnsiCodePage : public CodePage {
 public:
  explicit AnsiCodePage(unsigned id) : id_(id) {}

  // GetACP(): 1252 on an English system, 932 on a Japanese one, 65001 with UTF-8 on.
  static const CodePage& System();
  // The user locale's LOCALE_IDEFAULTANSICODEPAGE: what the system's code page was before UTF-8
  // was switched on, and so what a file written then is in.
  static const CodePage& Legacy();

  unsigned Id() const override { return id_; }
  bool ToUtf8(std::string_view bytes, std::string& text) const override;
  bool FromUtf8(std::string_view text, std::string& bytes) const override;

 private:
  unsigned id_;
};
