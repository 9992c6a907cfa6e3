list(APPEND VELTA_CORE_SOURCES
  src/launcher/keyed_block_transform.cpp
  src/launcher/md5.cpp
  src/launcher/crc32.cpp
  src/launcher/encoded_image.cpp
  src/launcher/parallel_md5.cpp
  src/launcher/ascii_code_page.cpp
  src/launcher/stored_path.cpp
  src/launcher/file_encoding.cpp)
list(APPEND VELTA_CORE_SOURCES
  src/launcher/launcher_groups.cpp)
list(APPEND VELTA_CORE_SOURCES
  src/launcher/proposed_name.cpp
  src/launcher/active_encoded_runs.cpp
  src/launcher/restored_file_journal.cpp
  src/launcher/encoded_run.cpp)
list(APPEND VELTA_WIN_SOURCES
  src/launcher/encoding_key_dialog.cpp
  src/launcher/launcher_add_dialog.cpp
  src/launcher/launcher_add_encode_dialog.cpp
  src/launcher/file_progress_dialog.cpp
  src/launcher/open_elsewhere_notice.cpp
  src/launcher/restore_encoded_item.cpp
  src/launcher/restore_failure_message.cpp
  src/launcher/file_rules.cpp
  src/launcher/settings_journal.cpp
  src/launcher/encoded_run_watch.cpp
  src/launcher/launcher_window.cpp)
