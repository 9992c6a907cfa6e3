# The thin Win32 layer; monitor_fit is its portable arithmetic and builds into the core.
list(APPEND VELTA_CORE_SOURCES
  src/win/monitor_fit.cpp)
list(APPEND VELTA_WIN_SOURCES
  src/win/window.cpp
  src/win/com_apartment.cpp
  src/win/dialog.cpp
  src/win/string_table.cpp
  src/win/message_box.cpp
  src/win/monitor_placement.cpp
  src/win/worker_thread.cpp)
