list(APPEND VELTA_CORE_SOURCES
  src/app/monitor_fit.cpp)
list(APPEND VELTA_WIN_SOURCES
  src/app/clock_app.cpp
  src/app/clock_window.cpp
  src/app/context_menu.cpp
  src/app/icon_menu.cpp
  src/app/icon_menu_item.cpp
  src/app/monitor_placement.cpp
  src/app/tray_icon.cpp)
