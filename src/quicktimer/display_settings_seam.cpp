#include "quicktimer/display_settings_seam.h"

#if __has_include("face/display_settings_dialog.h")
#include "face/display_settings_dialog.h"
#endif

bool RunDisplaySettingsDialog(ClockFace& face, bool countdown, HWND owner) {
#if __has_include("face/display_settings_dialog.h")
  DisplaySettingsDialog dialog;
  if (countdown) dialog.UseCountdownVariant();
  dialog.face().CopySettingsFrom(face);
  if (dialog.DoModal(owner) != IDOK) return false;
  face.CopySettingsFrom(dialog.face());
  return true;
#else
  return false;
#endif
}
