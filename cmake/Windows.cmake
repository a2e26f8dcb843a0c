# Windows builds: lay out the build folder so that it runs as it is (Qt's
# DLLs, the platform, style and SVG plugins and the MinGW runtime beside the
# executables), install the same beside the installed module and host, and,
# when cross-compiling, run the Windows executables under Wine in a prefix
# inside the build folder.

set(fp_runtime_commands)
# fp_runtime_file(FILE FOLDER [BUILD_ONLY]): FILE goes into FOLDER (relative,
# "." for beside the executables) of the build folder and, unless BUILD_ONLY,
# of the installation.
function(fp_runtime_file file folder)
  set(commands ${fp_runtime_commands}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/${folder}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${file} ${CMAKE_BINARY_DIR}/${folder})
  set(fp_runtime_commands ${commands} PARENT_SCOPE)
  if(NOT "${ARGN}" STREQUAL "BUILD_ONLY")
    install(FILES ${file} DESTINATION ${folder})
    # Stripped installations (cmake --install --strip, CPack) strip these DLLs
    # too: Qt's and the MinGW runtime carry symbols (libstdc++: 24 MB, 2 stripped).
    install(CODE "
      set(installed \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${folder}/$<PATH:GET_FILENAME,${file}>\")
      if(CMAKE_INSTALL_DO_STRIP AND installed MATCHES \"[.]dll$\")
        execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-unneeded \"\${installed}\")
      endif()")
  endif()
endfunction()

# Qt's libraries and the plugins the module and its hosts load. Qt SVG draws
# the style sheets' pictures (the dialog's header picture, the close cross).
foreach(target IN ITEMS Core Gui Widgets Svg)
  fp_runtime_file($<TARGET_FILE:Qt6::${target}> .)
endforeach()
if(FP_BUILD_TESTS)
  fp_runtime_file($<TARGET_FILE:Qt6::Test> . BUILD_ONLY)
endif()
foreach(plugin IN ITEMS platforms:QWindowsIntegrationPlugin platforms:QOffscreenIntegrationPlugin
                        platforms:QMinimalIntegrationPlugin styles:QWindowsVistaStylePlugin
                        imageformats:QSvgPlugin iconengines:QSvgIconPlugin)
  string(REPLACE ":" ";" plugin "${plugin}")
  list(GET plugin 0 folder)
  list(GET plugin 1 target)
  if(TARGET Qt6::${target})
    fp_runtime_file($<TARGET_FILE:Qt6::${target}> ${folder})
  elseif(target MATCHES "Svg")
    message(FATAL_ERROR "Qt6::${target} not found: this Qt for Windows has no Qt SVG (see cmake/windows/build-qt.sh)")
  endif()
endforeach()

# The MinGW runtime that Qt and the module link against, from the compiler
# that built them.
if(MINGW)
  foreach(dll IN ITEMS libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                    OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${path}")
      # libwinpthread lives with the target's libraries, not the compiler's.
      find_file(path_${dll} ${dll} PATHS /usr/${MINGW_TRIPLET}/lib NO_CACHE)
      set(path ${path_${dll}})
    endif()
    if(NOT EXISTS "${path}")
      message(FATAL_ERROR "MinGW runtime ${dll} not found (package g++-mingw-w64-x86-64-posix)")
    endif()
    fp_runtime_file(${path} .)
  endforeach()
endif()

# Qt's offscreen platform (headless runs and the tests) draws text with
# FreeType from the font files in <libraries>/fonts, not with the system's
# fonts: without them every letter is a box. qt.conf makes that folder and
# the plugin folders relative to the executables.
set(FP_OFFSCREEN_FONTS /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
                       /usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
    CACHE STRING "Font files for Qt's offscreen platform on Windows")
foreach(font IN LISTS FP_OFFSCREEN_FONTS)
  if(EXISTS ${font})
    fp_runtime_file(${font} fonts)
  else()
    message(WARNING "${font} not found: headless runs will draw boxes for letters (package fonts-dejavu-core)")
  endif()
endforeach()
file(WRITE ${CMAKE_BINARY_DIR}/qt.conf "[Paths]\nPrefix = .\nLibraries = .\nPlugins = .\n")
install(FILES ${CMAKE_BINARY_DIR}/qt.conf DESTINATION .)

add_custom_target(fp_windows_runtime ALL ${fp_runtime_commands}
  COMMENT "Placing Qt and the MinGW runtime beside the executables" VERBATIM)

if(CMAKE_CROSSCOMPILING)
  # Debian's wine64 has no `wine` on the PATH; the loader lives here.
  find_program(FP_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_DEFAULT_PATH)
  find_program(FP_WINE NAMES wine64 wine)
  find_program(FP_WINESERVER NAMES wineserver64 wineserver PATHS /usr/lib/wine NO_DEFAULT_PATH)
  find_program(FP_WINESERVER NAMES wineserver64 wineserver)
  set(FP_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
  if(FP_WINE AND FP_WINESERVER)
    # Every Windows executable (CTest's tests, test discovery) runs through this.
    configure_file(${CMAKE_CURRENT_LIST_DIR}/windows/wine-run.in ${CMAKE_BINARY_DIR}/wine-run
                   FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                    WORLD_READ WORLD_EXECUTE @ONLY)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)
  else()
    message(STATUS "Wine not found: Windows executables are built but not run (package wine64)")
  endif()
endif()
