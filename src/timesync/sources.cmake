# Time adjustment: the time-server protocol and the attempt loop are portable;
# the socket layer is BSD sockets natively and Windows Sockets in the Windows build.
list(APPEND VELTA_CORE_SOURCES
  src/timesync/ntp_packet.cpp
  src/timesync/ntp_sample.cpp
  src/timesync/socket_client.cpp
  src/timesync/time_sync_client.cpp
  src/timesync/time_adjust_settings.cpp
  src/timesync/adjust_arguments.cpp
  src/timesync/time_step.cpp
  src/timesync/utc_time_fields.cpp)
if(WIN32)
  list(APPEND VELTA_WIN_SOURCES
    src/timesync/winsock_socket_api.cpp
    src/timesync/time_adjustment.cpp
    src/timesync/time_adjust_dialog.cpp)
else()
  list(APPEND VELTA_CORE_SOURCES
    src/timesync/bsd_socket_api.cpp)
endif()
