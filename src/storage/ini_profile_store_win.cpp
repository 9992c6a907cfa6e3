// The Windows part of IniProfileStore: the settings file beside the executable, or in the
// user's application data folder when the program's folder cannot take it, in the code pages
// of this system.
#include "storage/ini_profile_store.h"
#include "storage/settings_place.h"
#include "storage/win32_file_access.h"
#include "win/ansi_code_page.h"

const CodePage& IniProfileStore::SystemCodePage() { return AnsiCodePage::System(); }

const CodePage& IniProfileStore::LegacyCodePage() { return AnsiCodePage::Legacy(); }

IniProfileStore::IniProfileStore()
    : IniProfileStore(SettingsPlace::ExecutableIni(), SettingsPlace::AppDataIni(), Win32FileAccess::Instance(),
                      AnsiCodePage::System(), AnsiCodePage::Legacy()) {}
