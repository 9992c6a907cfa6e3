#include "launcher/restore_encoded_item.h"

#include <string>

#include "launcher/encoding_key_dialog.h"
#include "launcher/file_encoding.h"
#include "launcher/file_progress_dialog.h"
#include "resource.h"
#include "storage/win32_file_access.h"
#include "win/ansi_code_page.h"
#include "win/message_box.h"
#include "win/string_table.h"
#include "win/wide_text.h"

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
  FileProgressDialog::Run(owner, StringTable::Format(IDS_FILE_DECODING, {item.name}), item.path, [&](FileProgress& progress) {
    outcome = DecodeEncodedFile(item.path, keyDialog.key, {}, files, &progress, AnsiCodePage::System());
    return outcome.ok();
  });
  if (!outcome.ok()) return false;
  ::DeleteFileW(WideText::From(item.path).c_str());
  return true;
}
