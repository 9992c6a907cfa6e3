#include "launcher/restore_encoded_item.h"

#include <string>

#include "launcher/encoding_key_dialog.h"
#include "launcher/file_encoding.h"
#include "resource.h"
#include "win/message_box.h"

bool RestoreEncodedItem(const LauncherItem& item, HWND owner) {
  switch (MessageBoxes::ShowString(IDS_RESTORE_ENCODED, MB_YESNOCANCEL, owner)) {
    case IDYES:
      break;
    case IDNO:
      return true;
    default:
      return false;
  }
  EncodingKeyDialog keyDialog;
  if (keyDialog.DoModal(owner) != IDOK) return true;
  std::string restored;
  if (!DecodeFile(item.path, keyDialog.key, restored)) return false;
  ::DeleteFileA(item.path.c_str());
  return true;
}
