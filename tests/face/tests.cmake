list(APPEND VELTA_CORE_TEST_SOURCES
  face/time_formatter_test.cpp
  face/region_runs_test.cpp
  face/stored_face_values_test.cpp)
list(APPEND VELTA_WIN_TEST_SOURCES
  face/clock_face_test.cpp
  face/clock_face_profile_test.cpp
  face/offscreen_image_test.cpp
  face/face_window_test.cpp)
list(APPEND VELTA_WIN_TEST_SOURCES
  face/colour_grid_test.cpp
  face/display_settings_dialog_test.cpp)
