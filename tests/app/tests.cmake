list(APPEND VELTA_WIN_TEST_SOURCES
  app/clock_window_settings_test.cpp)
