// Opens the display settings dialog on `face` (countdown or plain variant);
// true when the user accepted, and `face` then holds the edited settings.
#pragma once

#include <windows.h>

#include "face/clock_face.h"

bool RunDisplaySettingsDialog(ClockFace& face, bool countdown, HWND owner);
