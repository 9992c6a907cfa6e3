# The thin Win32 layer; monitor_fit and dpi_scale are its portable arithmetic and build into the core.
list(APPEND VELTA_CORE_SOURCES
  src/win/monitor_fit.cpp
  src/win/dpi_scale.cpp
  src/win/code_page.cpp)
list(APPEND VELTA_WIN_SOURCES
  src/win/window.cpp
  src/win/wide_text.cpp
  src/win/ansi_code_page.cpp
  src/win/module_path.cpp
  src/win/com_apartment.cpp
  src/win/dialog.cpp
  src/win/string_table.cpp
  src/win/message_box.cpp
  src/win/modal_windows.cpp
  src/win/accessible_text.cpp
  src/win/monitor_placement.cpp
  src/win/window_dpi.cpp
  src/win/session_notification.cpp
  src/win/worker_thread.cpp
  src/win/sha256.cpp
  src/win/held_file.cpp
  src/win/image_seal.cpp
  src/win/elevated_start.cpp
  src/win/user_alert.cpp)
