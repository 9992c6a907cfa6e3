list(APPEND VELTA_CORE_TEST_SOURCES
  quicktimer/timer_action_state_test.cpp
  quicktimer/poll_running_test.cpp
  quicktimer/quick_timer_cells_test.cpp
  quicktimer/quick_timer_input_test.cpp)
list(APPEND VELTA_WIN_TEST_SOURCES
  quicktimer/timer_action_test.cpp
  quicktimer/running_timer_test.cpp
  quicktimer/counter_window_test.cpp
  quicktimer/quick_timer_dialog_test.cpp)
if(WIN32)
  # Started by QuickTimer application actions in the tests.
  add_executable(qt_helper WIN32 quicktimer/qt_helper.cpp)
endif()
