list(APPEND VELTA_WIN_TEST_SOURCES
  win/dialog_test.cpp)
