list(APPEND VELTA_WIN_SOURCES
  src/win/window.cpp
  src/win/dialog.cpp
  src/win/string_table.cpp
  src/win/message_box.cpp
  src/win/worker_thread.cpp)
