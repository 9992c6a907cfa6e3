list(APPEND VELTA_CORE_TEST_SOURCES
  timesync/ntp_packet_test.cpp
  timesync/socket_client_test.cpp
  timesync/fetch_server_time_test.cpp)
