# Fails when a source file calls a Win32 function in its ANSI ("A") form: text and paths cross to
# Windows through the wide functions only (src/win/wide_text.h), so that no name or text is ever
# turned into "?" or a look-alike letter of the system's code page.
file(GLOB_RECURSE files RELATIVE "${ROOT}" "${ROOT}/src/*.h" "${ROOT}/src/*.cpp")
set(errors "")
set(count 0)
foreach(f ${files})
  file(STRINGS "${ROOT}/${f}" hits REGEX "::[A-Z][A-Za-z0-9_]*A[ \t]*[(]|MAKEINTRESOURCEA|[^A-Za-z_]LPSTR[^A-Za-z_]|WNDCLASSA|CREATESTRUCTA|MENUITEMINFOA|NOTIFYICONDATAA|OPENFILENAMEA|CHOOSEFONTA|SHELLEXECUTEINFOA|STARTUPINFOA")
  foreach(hit IN LISTS hits)
    string(STRIP "${hit}" hit)
    string(APPEND errors "\n  ${f}: ${hit}")
    math(EXPR count "${count} + 1")
  endforeach()
endforeach()
if(count GREATER 0)
  message(FATAL_ERROR "${count} ANSI Windows calls (use the W form through WideText):${errors}")
endif()
