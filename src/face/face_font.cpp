#include "face/face_font.h"

#include <cstring>

#include "win/wide_text.h"

namespace {

// Every field but the name is the same in both records.
template <typename To, typename From>
void CopyMetrics(To& to, const From& from) {
  to.lfHeight = from.lfHeight;
  to.lfWidth = from.lfWidth;
  to.lfEscapement = from.lfEscapement;
  to.lfOrientation = from.lfOrientation;
  to.lfWeight = from.lfWeight;
  to.lfItalic = from.lfItalic;
  to.lfUnderline = from.lfUnderline;
  to.lfStrikeOut = from.lfStrikeOut;
  to.lfCharSet = from.lfCharSet;
  to.lfOutPrecision = from.lfOutPrecision;
  to.lfClipPrecision = from.lfClipPrecision;
  to.lfQuality = from.lfQuality;
  to.lfPitchAndFamily = from.lfPitchAndFamily;
}

}  // namespace

std::wstring FaceFont::FittedName(std::string_view face) {
  std::wstring wide = WideText::From(face);
  const std::size_t room = LF_FACESIZE - 1;
  if (wide.size() > room) {
    std::size_t length = room;
    if (wide[length - 1] >= 0xD800 && wide[length - 1] <= 0xDBFF) --length;
    wide.resize(length);
  }
  return wide;
}

LOGFONTW FaceFont::Wide(const LOGFONTA& record, std::string_view face, const CodePage& codePage) {
  LOGFONTW font{};
  CopyMetrics(font, record);
  std::string name;
  if (!face.empty()) {
    name = std::string(face);
  } else {
    const std::size_t length = strnlen(record.lfFaceName, LF_FACESIZE);
    if (!codePage.ToUtf8(std::string_view(record.lfFaceName, length), name)) name.clear();
  }
  const std::wstring wide = FittedName(name);
  wide.copy(font.lfFaceName, wide.size());
  font.lfFaceName[wide.size()] = L'\0';
  return font;
}

std::string FaceFont::ToRecord(const LOGFONTW& font, LOGFONTA& record, const CodePage& codePage) {
  CopyMetrics(record, font);
  return PutName(WideText::ToUtf8(std::wstring_view(font.lfFaceName, wcsnlen(font.lfFaceName, LF_FACESIZE))), record,
                 codePage);
}

std::string FaceFont::PutName(std::string_view name, LOGFONTA& record, const CodePage& codePage) {
  std::string bytes;
  if (!codePage.FromUtf8(name, bytes) || bytes.size() >= LF_FACESIZE) return std::string(name);
  std::memset(record.lfFaceName, 0, sizeof record.lfFaceName);
  std::memcpy(record.lfFaceName, bytes.data(), bytes.size());
  return {};
}
