// Removing an encoded launcher item: asks whether to restore its original file first.
#pragma once

#include <windows.h>

#include "launcher/launcher_item.h"

// Message 126 with Yes/No/Cancel. Cancel: false (keep the item). No: true (remove it, the
// encoded file stays). Yes: asks for the key; Cancel there removes the item and keeps the file;
// OK restores the original to its stored path and deletes the encoded file (true), or, with a
// wrong key or a damaged or unwritable file, keeps both and returns false.
bool RestoreEncodedItem(const LauncherItem& item, HWND owner);
