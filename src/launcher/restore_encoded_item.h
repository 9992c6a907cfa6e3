// Removing an encoded launcher item: asks whether to restore its original file first.
#pragma once

#include <windows.h>

#include "launcher/launcher_item.h"
#include "storage/file_access.h"

// Message 126 with Yes/No/Cancel. Cancel: false (keep the item). No: true (remove it, the
// encoded file stays). Yes: asks for the key; Cancel there removes the item and keeps the file;
// OK restores the original to its stored path (off this thread, with a progress window) and
// deletes the encoded file (true), or, with a wrong key, a damaged or unwritable file, a stored
// path that is not a full path here, or Cancel, keeps both and returns false. A file already at
// the stored path is never replaced, and a stored path that is the encoded file itself or a
// settings file is refused: both told, both files kept. An encoded file that cannot be deleted
// after the restore is told.
bool RestoreEncodedItem(const LauncherItem& item, HWND owner, FileAccess& files);
