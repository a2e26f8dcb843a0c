option(FP_WARNINGS_AS_ERRORS "Fail the build on any compiler warning (./dev turns it on)" OFF)

if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  add_compile_options(-Wall -Wextra -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    # Clang's -Winconsistent-missing-override (in -Wall) is the near equivalent.
    add_compile_options(-Wsuggest-override)
  endif()
  if(FP_WARNINGS_AS_ERRORS)
    # Qt's and the other libraries' headers come from imported targets, which
    # CMake includes as system headers: only our own code can fail the build.
    add_compile_options(-Werror)
  endif()
endif()

# Qt strings from char* only where the code says which encoding it means
# (QLatin1String, QStringLiteral, QString::fromUtf8), for the targets named
# whose sources are ready for it; targets this build does not have are skipped.
function(fp_strict_qt_strings)
  foreach(target IN LISTS ARGN)
    if(TARGET ${target})
      target_compile_definitions(${target} PRIVATE QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII)
    endif()
  endforeach()
endfunction()
