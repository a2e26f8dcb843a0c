# Installation and packages. `cmake --install` lays out what a host needs;
# CPack packs that layout: a ZIP on Windows, a Debian package elsewhere.
#
# Windows: everything in one folder, as the build folder has it (the module,
# fingerprint.rcc, diag-host.exe, Qt's DLLs and plugins, qt.conf, the MinGW
# runtime; see cmake/Windows.cmake for the runtime's rules).
# Linux: diag-host in bin/, the module with its resource file (and the
# libfprint helper, where built) in lib/<multiarch>/module_fingerprint/.
# The module finds fingerprint.rcc beside itself; diag-host looks for the
# module beside itself first (build folder, Windows), then at the installed
# place relative to its own folder, so the installation can move as a whole.

# The packages carry the product version that the module reports (its one
# ProductVersion object), not the library file's version.
file(STRINGS ${PROJECT_SOURCE_DIR}/module/exports.cpp fp_version_line REGEX "ProductVersion version{")
if(NOT fp_version_line MATCHES "{([0-9]+), ([0-9]+), ([0-9]+), ([0-9]+)}")
  message(FATAL_ERROR "no product version found in module/exports.cpp")
endif()
set(FP_PRODUCT_VERSION ${CMAKE_MATCH_1}.${CMAKE_MATCH_2}.${CMAKE_MATCH_3}.${CMAKE_MATCH_4})

if(WIN32)
  set(FP_INSTALL_BINDIR .)
  set(FP_INSTALL_MODULEDIR .)
else()
  include(GNUInstallDirs)
  set(FP_INSTALL_BINDIR ${CMAKE_INSTALL_BINDIR})
  # Debian's multiarch folder whatever the prefix (GNUInstallDirs only picks
  # it for /usr).
  if(CMAKE_LIBRARY_ARCHITECTURE)
    set(FP_INSTALL_MODULEDIR lib/${CMAKE_LIBRARY_ARCHITECTURE}/module_fingerprint)
  else()
    set(FP_INSTALL_MODULEDIR ${CMAKE_INSTALL_LIBDIR}/module_fingerprint)
  endif()
endif()
file(RELATIVE_PATH fp_module_from_host /${FP_INSTALL_BINDIR} /${FP_INSTALL_MODULEDIR})
if(fp_module_from_host STREQUAL "")
  set(fp_module_from_host .)
endif()
target_compile_definitions(fp_host_core PRIVATE FP_INSTALLED_MODULE_DIR="${fp_module_from_host}")
target_compile_definitions(diag-host PRIVATE FP_PRODUCT_VERSION="${FP_PRODUCT_VERSION}")

install(TARGETS module_fingerprint
  LIBRARY DESTINATION ${FP_INSTALL_MODULEDIR}
  RUNTIME DESTINATION ${FP_INSTALL_MODULEDIR}
  ARCHIVE DESTINATION lib EXCLUDE_FROM_ALL)  # the DLL's import library: hosts load, never link
install(FILES ${CMAKE_BINARY_DIR}/fingerprint.rcc DESTINATION ${FP_INSTALL_MODULEDIR})
install(TARGETS diag-host RUNTIME DESTINATION ${FP_INSTALL_BINDIR})
# diag-host's manual page, compressed as Debian wants it: gzip -9n, without
# the file's name and time, so that every build gives the same bytes.
if(NOT WIN32)
  find_program(FP_GZIP gzip REQUIRED)
  set(fp_manual ${CMAKE_BINARY_DIR}/diag-host.1.gz)
  add_custom_command(OUTPUT ${fp_manual}
    COMMAND sh -c "\"$1\" -9n -c \"$2\" > \"$3\"" sh ${FP_GZIP} ${PROJECT_SOURCE_DIR}/host/diag-host.1 ${fp_manual}
    DEPENDS ${PROJECT_SOURCE_DIR}/host/diag-host.1 VERBATIM)
  add_custom_target(diag-host-manual ALL DEPENDS ${fp_manual})
  install(FILES ${fp_manual} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
# The libfprint helper runs beside the module that starts it.
if(TARGET fingerprint-libfprint-helper)
  install(TARGETS fingerprint-libfprint-helper RUNTIME DESTINATION ${FP_INSTALL_MODULEDIR})
endif()

set(CPACK_PACKAGE_NAME module_fingerprint)
set(CPACK_PACKAGE_VENDOR "module_fingerprint developers")
set(CPACK_PACKAGE_VERSION ${FP_PRODUCT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Fingerprint reader diagnostics module, with diag-host to run it")
set(CPACK_PACKAGE_CONTACT "module_fingerprint developers <maintainers@module-fingerprint.dev>")
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_STRIP_FILES ON)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME win64)
  set(CPACK_PACKAGE_FILE_NAME ${CPACK_PACKAGE_NAME}-${CPACK_PACKAGE_VERSION}-${CPACK_SYSTEM_NAME})
  # One top folder, named like the archive.
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  # Debian package names allow no underscore.
  set(CPACK_DEBIAN_PACKAGE_NAME module-fingerprint)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # Qt finds the SVG image plugin at run time only: no library names it.
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6")
  # Without a CJK font the Chinese and Japanese dialogs show boxes.
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk")
  # The extended description; CPack puts the summary above it.
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "The fingerprint module of a PC hardware diagnostics suite: a plug-in library
that a diagnostics host loads to list the machine's fingerprint readers with
their properties and to run the Fingerprint Recognition Test, in which the
user touches the sensor while the module waits for it.
.
On Linux it drives real readers through libfprint, in a helper process of its
own, and lists every USB reader libfprint knows, also those whose driver fails
or that no driver supports; without libfprint a simulated machine stands in.
diag-host loads the module as the suite does and runs it from the command
line or in a window.")
  # Debian's policy files: machine-readable copyright and the changelog,
  # compressed as policy asks (gzip -9n: reproducible).
  set(fp_doc_dir share/doc/${CPACK_DEBIAN_PACKAGE_NAME})
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/debian/copyright DESTINATION ${fp_doc_dir})
  set(fp_changelog ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
  add_custom_command(OUTPUT ${fp_changelog}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging
    COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/packaging/debian/changelog > ${fp_changelog}
    DEPENDS ${PROJECT_SOURCE_DIR}/packaging/debian/changelog VERBATIM)
  add_custom_target(fp_debian_changelog ALL DEPENDS ${fp_changelog})
  install(FILES ${fp_changelog} DESTINATION ${fp_doc_dir})
endif()
include(CPack)
