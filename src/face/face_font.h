// A face's font as the settings keep it and as the system makes it. The stored record is a
// LOGFONTA (60 bytes, the face name in the system's ANSI code page) so that every earlier
// build reads it; a face name that code page cannot hold travels beside it as UTF-8 text
// and wins. The one place where the record and the wide LOGFONTW meet.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "win/code_page.h"

class FaceFont {
 public:
  // The wide font of a record and the face name kept beside it (empty: the record's own name,
  // read in `codePage`; a name of bytes that code page does not map stays empty).
  static LOGFONTW Wide(const LOGFONTA& record, std::string_view face, const CodePage& codePage);

  // Puts `font` into `record` (every field, the name in `codePage`) and returns the face name to
  // keep beside it, as PutName.
  static std::string ToRecord(const LOGFONTW& font, LOGFONTA& record, const CodePage& codePage);
  // Puts a face name (UTF-8) into the record when `codePage` holds it exactly in its 31 bytes and
  // returns empty; otherwise leaves the record's name as it was (what an earlier build goes on
  // showing) and returns the name to keep beside it.
  static std::string PutName(std::string_view name, LOGFONTA& record, const CodePage& codePage);

  // A face name as a LOGFONTW can hold it: at most 31 UTF-16 units, cut before a character
  // that would not fit whole.
  static std::wstring FittedName(std::string_view face);
};
