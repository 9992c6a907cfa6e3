list(APPEND VELTA_CORE_TEST_SOURCES
  storage/ini_profile_store_test.cpp
  storage/ini_text_test.cpp
  storage/ini_file_failure_test.cpp
  storage/ini_encoding_test.cpp)
list(APPEND VELTA_WIN_TEST_SOURCES
  storage/ini_profile_store_win_test.cpp
  storage/ini_encoding_win_test.cpp
  storage/settings_save_message_test.cpp
  storage/registry_profile_store_test.cpp)
