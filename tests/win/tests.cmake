list(APPEND VELTA_WIN_TEST_SOURCES
  win/dialog_test.cpp
  win/unique_handle_test.cpp)
