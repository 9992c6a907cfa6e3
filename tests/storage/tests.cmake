list(APPEND VELTA_CORE_TEST_SOURCES
  storage/ini_profile_store_test.cpp
  storage/ini_text_test.cpp
  storage/ini_file_failure_test.cpp
  storage/ini_encoding_test.cpp
  storage/file_paths_test.cpp)
list(APPEND VELTA_WIN_TEST_SOURCES
  storage/ini_profile_store_win_test.cpp
  storage/ini_encoding_win_test.cpp
  storage/settings_save_message_test.cpp
  storage/registry_profile_store_test.cpp)
if(WIN32)
  # On Windows a settings store's default code pages are the system's, from the Windows library.
  list(APPEND VELTA_CORE_TEST_LIBS velta_win)
endif()
