list(APPEND VELTA_WIN_SOURCES
  src/app/clock_app.cpp
  src/app/clock_window.cpp)
