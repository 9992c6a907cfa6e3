#include "launcher/restore_encoded_item.h"

#include <string>

#include "launcher/encoding_key_dialog.h"
#include "launcher/file_encoding.h"
#include "launcher/file_progress_dialog.h"
#include "launcher/launcher_add_dialog.h"
#include "resource.h"
#include "storage/win32_file_access.h"
#include "win/message_box.h"
#include "win/string_table.h"

bool RestoreEncodedItem(const LauncherItem& item, HWND owner, FileAccess& files) {
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
  EncodedFileOutcome outcome;
  DecodeOptions options;
  options.isLeadByte = AnsiLeadByte;
  std::string caption = StringTable::Load(IDS_FILE_DECODING);
  if (const auto at = caption.find("%1"); at != std::string::npos) caption.replace(at, 2, item.name);
  FileProgressDialog::Run(owner, caption, item.path, [&](FileProgress& progress) {
    outcome = DecodeEncodedFile(item.path, keyDialog.key, options, files, &progress);
    return outcome.ok();
  });
  if (!outcome.ok()) return false;
  ::DeleteFileA(item.path.c_str());
  return true;
}
