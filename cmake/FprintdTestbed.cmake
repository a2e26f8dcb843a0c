# fp_fprintd_testbed: Debian's fprintd on a private system bus, for the tests
# and the benchmarks (tests/support/fprintd_testbed.h). Defines nothing where
# fprintd, dbus-daemon, python3-dbusmock or Qt D-Bus are missing (./dev
# installs them).
include_guard(GLOBAL)
if(WIN32 OR NOT TARGET Qt6::DBus)
  return()
endif()
set(FP_DBUSMOCK_PYTHON /usr/bin/python3 CACHE FILEPATH "Python with python3-dbusmock for the D-Bus tests")
execute_process(COMMAND ${FP_DBUSMOCK_PYTHON} -c "import dbusmock" RESULT_VARIABLE fp_no_dbusmock
                OUTPUT_QUIET ERROR_QUIET)
find_program(FP_DBUS_DAEMON dbus-daemon)
find_program(FP_FPRINTD_DAEMON fprintd PATHS /usr/libexec NO_DEFAULT_PATH)
if(fp_no_dbusmock OR NOT FP_DBUS_DAEMON)
  message(STATUS "python3-dbusmock or dbus-daemon missing: the D-Bus services are not tested")
  return()
endif()
set(FP_HAVE_DBUSMOCK TRUE)
if(NOT FP_FPRINTD_DAEMON)
  message(STATUS "fprintd missing: the fprintd backend is not tested")
  return()
endif()
add_library(fp_fprintd_testbed STATIC ${PROJECT_SOURCE_DIR}/tests/support/fprintd_testbed.cpp
  ${PROJECT_SOURCE_DIR}/tests/support/fprintd_testbed.h)
target_include_directories(fp_fprintd_testbed PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(fp_fprintd_testbed PUBLIC Qt6::DBus)
target_compile_definitions(fp_fprintd_testbed PRIVATE FP_FPRINTD_DAEMON="${FP_FPRINTD_DAEMON}"
  FP_DBUSMOCK_PYTHON="${FP_DBUSMOCK_PYTHON}" FP_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data")
