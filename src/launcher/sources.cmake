list(APPEND VELTA_CORE_SOURCES
  src/launcher/keyed_block_transform.cpp
  src/launcher/md5.cpp
  src/launcher/crc32.cpp
  src/launcher/encoded_image.cpp
  src/launcher/file_access.cpp
  src/launcher/file_encoding.cpp)
list(APPEND VELTA_CORE_SOURCES
  src/launcher/launcher_groups.cpp)
