# The manual page must cover what --help lists: every option, command,
# environment variable and exit code. Run as
#   cmake -DDIAG_HOST=... -DMANUAL=... -P manual_check.cmake
execute_process(COMMAND ${DIAG_HOST} --help OUTPUT_VARIABLE help RESULT_VARIABLE code)
if(NOT code EQUAL 0)
  message(FATAL_ERROR "diag-host --help failed: ${code}")
endif()
file(READ ${MANUAL} manual)
string(REPLACE "\\-" "-" manual "${manual}")
string(REGEX MATCHALL "--[a-z-]+|[A-Z][A-Z_]+[A-Z]|\n  (info|help|list|run) " words "${help}")
# The exit codes, as "0 Passed" and "2 " at a line's start.
string(REGEX MATCHALL "[0-9] [A-Z][a-zA-Z]+" statuses "${help}")
set(missing "")
foreach(word IN LISTS words statuses)
  string(STRIP "${word}" word)
  string(FIND "${manual}" "${word}" at)
  if(at EQUAL -1)
    list(APPEND missing "${word}")
  endif()
endforeach()
if(missing)
  message(FATAL_ERROR "host/diag-host.1 does not mention: ${missing}")
endif()
