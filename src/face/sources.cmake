list(APPEND VELTA_CORE_SOURCES
  src/face/time_formatter.cpp
  src/face/region_runs.cpp
  src/face/face_metrics.cpp
  src/face/stored_face_values.cpp)
list(APPEND VELTA_WIN_SOURCES
  src/face/clock_face.cpp
  src/face/face_font.cpp
  src/face/offscreen_image.cpp
  src/face/colour_grid.cpp
  src/face/colour_button.cpp
  src/face/display_settings_dialog.cpp)
list(APPEND VELTA_WIN_SOURCES
  src/face/face_window.cpp)
