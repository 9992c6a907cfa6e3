list(APPEND VELTA_CORE_TEST_SOURCES
  launcher/keyed_block_transform_test.cpp
  launcher/md5_crc32_test.cpp
  launcher/file_encoding_test.cpp
  launcher/golden_encoded_file_test.cpp
  launcher/stored_path_text_test.cpp
  launcher/neighbour_test.cpp)
# Cross-checks against the system's md5sum and zlib run where those exist.
if(NOT WIN32)
  find_package(ZLIB REQUIRED)
  list(APPEND VELTA_CORE_TEST_SOURCES launcher/reference_digest_test.cpp)
  list(APPEND VELTA_CORE_TEST_LIBS ZLIB::ZLIB)
endif()
list(APPEND VELTA_CORE_TEST_SOURCES
  launcher/launcher_groups_test.cpp
  launcher/launcher_ini_test.cpp
  launcher/active_encoded_runs_test.cpp
  launcher/restored_file_journal_test.cpp
  launcher/path_identity_test.cpp
  launcher/encoded_run_test.cpp)
list(APPEND VELTA_WIN_TEST_SOURCES
  launcher/launcher_dialogs_test.cpp
  launcher/restore_failure_message_test.cpp)
list(APPEND VELTA_WIN_TEST_SOURCES
  launcher/launcher_window_test.cpp
  launcher/neighbour_win_test.cpp
  launcher/path_identity_win_test.cpp)
if(WIN32)
  # Started by the launcher in the end-to-end test.
  add_executable(launcher_mark_helper WIN32 launcher/mark_helper.cpp)
  # Holds a file open without sharing, for velta-cli's unreadable-file checks under Wine.
  add_executable(file_hold_helper launcher/file_hold_helper.cpp)
  # Hands a document on to a second process and ends, as a starter or a running editor does.
  add_executable(handoff_helper WIN32 launcher/handoff_helper.cpp)
endif()
