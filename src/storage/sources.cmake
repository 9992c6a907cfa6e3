list(APPEND VELTA_CORE_SOURCES
  src/storage/device_path.cpp
  src/storage/file_access.cpp
  src/storage/file_replacement.cpp
  src/storage/memory_file_access.cpp
  src/storage/std_file_access.cpp
  src/storage/profile_text.cpp
  src/storage/ini_text.cpp
  src/storage/ini_profile_store.cpp)
list(APPEND VELTA_WIN_SOURCES
  src/storage/win32_file_access.cpp
  src/storage/settings_place.cpp
  src/storage/ini_profile_store_win.cpp
  src/storage/settings_save_message.cpp)
list(APPEND VELTA_WIN_SOURCES
  src/storage/registry_profile_store.cpp
  src/storage/app_profile.cpp)
