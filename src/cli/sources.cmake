# velta-cli: one file per subcommand group; each registers itself in velta_cli.cpp's table.
set(VELTA_CLI_SOURCES
  src/cli/velta_cli.cpp
  src/cli/cli_args.cpp
  src/cli/cli_console.cpp
  src/cli/cli_files.cpp
  src/cli/format_command.cpp
  src/cli/ini_command.cpp
  src/cli/encoded_file_command.cpp
  src/cli/ntp_command.cpp)
# Setting the system clock is the Windows build's: natively there is no "adjust".
if(WIN32)
  list(APPEND VELTA_CLI_SOURCES src/cli/adjust_command.cpp)
endif()
