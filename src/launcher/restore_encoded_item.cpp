#include "launcher/restore_encoded_item.h"

#include <string>

#include "launcher/encoding_key_dialog.h"
#include "launcher/file_encoding.h"
#include "launcher/file_progress_dialog.h"
#include "launcher/restore_failure_message.h"
#include "resource.h"
#include "storage/settings_place.h"
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
  DecodeOptions options;
  options.replace = false;
  options.keep = {SettingsPlace::ExecutableIni(), SettingsPlace::AppDataIni()};
  FileProgressDialog::Run(owner, StringTable::Format(IDS_FILE_DECODING, {item.name}), item.path, [&](FileProgress& progress) {
    outcome = DecodeEncodedFile(item.path, keyDialog.key, options, files, &progress, AnsiCodePage::System());
    return outcome.ok();
  });
  if (!outcome.ok()) {
    // Every reason is told but a cancel; both files stay.
    const std::string text = RestoreFailureMessage::Text(RestoreFailureMessage::For::Delete, item.name, item.path,
                                                         outcome.storedPath, outcome, files);
    if (!text.empty()) MessageBoxes::Show(text, MB_OK | MB_ICONWARNING, owner);
    return false;
  }
  FileError error;
  if (!files.Remove(item.path, error))
    MessageBoxes::Show(StringTable::Format(IDS_ENCODED_NOT_DELETED, {outcome.path, item.path, error.message}),
                       MB_OK | MB_ICONWARNING, owner);
  return true;
}
