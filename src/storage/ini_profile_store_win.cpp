// The Windows part of IniProfileStore: the settings file beside the executable, or in the
// user's application data folder when the program's folder cannot take it.
#include "storage/ini_profile_store.h"
#include "storage/settings_place.h"
#include "storage/win32_file_access.h"

IniProfileStore::IniProfileStore()
    : IniProfileStore(SettingsPlace::ExecutableIni(), SettingsPlace::AppDataIni(), Win32FileAccess::Instance()) {}
