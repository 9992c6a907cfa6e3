// The modal dialog that edits one display block: format (with a token list),
// colours, font and alignment, with a live preview drawn by its own face.
// It works on a face of its own; the caller's face changes only after OK.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "face/clock_face.h"
#include "face/colour_button.h"
#include "win/dialog.h"

class DisplaySettingsDialog : public Dialog {
 public:
  // Plain: a ClockFace and the calendar tokens. Countdown: a CountdownFace
  // (with no countdown attached) and the timer tokens as well.
  enum class Variant { Plain, Countdown };

  explicit DisplaySettingsDialog(Variant variant = Variant::Plain);
  // The variant of `source` (IsCountdown) with a copy of its settings.
  explicit DisplaySettingsDialog(const ClockFace& source);
  ~DisplaySettingsDialog() override;

  // Replaces the face by a CountdownFace and adds the timer tokens.
  void UseCountdownVariant();

  ClockFace& face() { return *face_; }
  const std::vector<UINT>& textIds() const { return textIds_; }
  const std::vector<std::string>& tokens() const { return tokens_; }

  // Copies `target`'s settings in, runs the dialog modally and, only when it
  // ends with OK, copies the look it edits back. True after OK.
  bool EditFace(ClockFace& target, HWND owner = nullptr);

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void FormatChanged();
  void AddToken();
  void ChooseFaceFont();
  void SetAlignment(std::int32_t flag);
  void OnColourChanged();
  void RedrawPreview();
  // The owner-drawn preview control: its frame, and the face inside it.
  void DrawPreview(const DRAWITEMSTRUCT* item);
  // The edit's text into the face's format.
  void ReadFormat();

  ColourButton textButton_;
  ColourButton backButton_;
  std::vector<UINT> textIds_;
  std::vector<std::string> tokens_;
  std::unique_ptr<ClockFace> face_;
};
