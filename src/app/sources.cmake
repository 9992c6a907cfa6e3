list(APPEND VELTA_CORE_SOURCES
  src/app/icon_menu_metrics.cpp)
list(APPEND VELTA_WIN_SOURCES
  src/app/clock_app.cpp
  src/app/clock_window.cpp
  src/app/context_menu.cpp
  src/app/icon_menu.cpp
  src/app/icon_menu_item.cpp
  src/app/settings_keeper.cpp
  src/app/sign_in_start.cpp
  src/app/tray_icon.cpp
  src/app/tray_presence.cpp)
