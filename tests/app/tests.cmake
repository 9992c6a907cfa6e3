list(APPEND VELTA_CORE_TEST_SOURCES
  app/dpi_layout_test.cpp)
list(APPEND VELTA_WIN_TEST_SOURCES
  app/clock_window_settings_test.cpp
  app/clock_window_cells_test.cpp
  app/clock_window_nested_loops_test.cpp
  app/clock_window_behaviour_test.cpp
  app/clock_window_desktop_test.cpp
  app/context_menu_test.cpp
  app/sign_in_start_test.cpp
  app/icon_menu_test.cpp
  app/tray_icon_test.cpp
  app/clock_window_accessibility_test.cpp
  app/menu_keyboard_and_names_test.cpp
  app/access_keys_test.cpp
  app/tray_presence_test.cpp
  app/settings_keeper_test.cpp)
