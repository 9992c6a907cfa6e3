list(APPEND VELTA_CORE_TEST_SOURCES
  win/monitor_fit_test.cpp
  win/dpi_scale_test.cpp
  win/code_page_test.cpp)
list(APPEND VELTA_WIN_TEST_SOURCES
  win/dialog_test.cpp
  win/ansi_code_page_test.cpp
  win/string_table_test.cpp
  win/com_apartment_test.cpp
  win/monitor_placement_test.cpp
  win/unique_handle_test.cpp
  win/window_dpi_test.cpp
  win/dialog_text_fit_test.cpp
  win/elevated_start_test.cpp)
