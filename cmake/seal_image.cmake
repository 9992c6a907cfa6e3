# Seals a linked program: finds its one seal (the marker of src/win/image_seal.cpp
# and 64 digits), sets the digits to zeros, takes the SHA-256 of the file so, and
# writes the digest's hexadecimal digits over the zeros. A program changed after
# it was sealed (stripped for a package) is sealed again the same way. The running program holds its digest
# and can tell whether a file is byte for byte the one it was loaded from.
# cmake -DIMAGE=path/Velta.exe -P seal_image.cmake
if(NOT IMAGE OR NOT EXISTS "${IMAGE}")
  message(FATAL_ERROR "seal_image: no program at '${IMAGE}'")
endif()
set(marker "VELTA-IMAGE-SEAL:")
string(LENGTH "${marker}" markerLength)
string(HEX "${marker}" markerHex)
string(REPEAT "0" 64 zeros)
file(READ "${IMAGE}" content HEX)
string(FIND "${content}" "${markerHex}" first)
string(FIND "${content}" "${markerHex}" last REVERSE)
if(NOT first EQUAL -1)
  math(EXPR odd "${first} % 2")
endif()
if(first EQUAL -1 OR NOT first EQUAL last OR odd)
  message(FATAL_ERROR "seal_image: ${IMAGE} has not exactly one seal")
endif()
math(EXPR offset "${first} / 2 + ${markerLength}")

function(write_digits digits)
  execute_process(
    COMMAND sh -c "printf %s \"$1\" | dd of=\"$2\" bs=1 seek=\"$3\" conv=notrunc status=none" seal
            "${digits}" "${IMAGE}" "${offset}"
    RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "seal_image: could not write the seal into ${IMAGE}")
  endif()
endfunction()

write_digits("${zeros}")
file(SHA256 "${IMAGE}" digest)
write_digits("${digest}")
