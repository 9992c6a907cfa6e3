list(APPEND VELTA_CORE_SOURCES
  src/quicktimer/timer_action_state.cpp
  src/quicktimer/quick_timer_cells.cpp
  src/quicktimer/quick_timer_input.cpp)
list(APPEND VELTA_WIN_SOURCES
  src/quicktimer/timer_action.cpp
  src/quicktimer/running_timer.cpp
  src/quicktimer/running_quick_timers.cpp
  src/quicktimer/counter_window.cpp
  src/quicktimer/quick_timer_dialog.cpp
  src/quicktimer/quick_timer_profile.cpp)
