list(APPEND VELTA_CORE_TEST_SOURCES
  timesync/ntp_packet_test.cpp
  timesync/socket_client_test.cpp
  timesync/fetch_server_time_test.cpp
  timesync/time_adjust_settings_test.cpp
  timesync/adjust_arguments_test.cpp
  timesync/time_step_test.cpp
  timesync/utc_time_fields_test.cpp)
# Against servers on 127.0.0.1 over the platform's sockets: BSD natively, Windows Sockets under Wine.
if(WIN32)
  list(APPEND VELTA_WIN_TEST_SOURCES
    timesync/test_servers.cpp
    timesync/real_server_test.cpp
    timesync/time_adjustment_test.cpp
    timesync/time_adjust_dialog_test.cpp)
else()
  list(APPEND VELTA_CORE_TEST_SOURCES
    timesync/test_servers.cpp
    timesync/real_server_test.cpp)
endif()
