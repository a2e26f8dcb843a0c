# One sanitizer family per build tree; the test command builds each in its own directory.
if(FP_SANITIZER STREQUAL "address")
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
elseif(FP_SANITIZER STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
elseif(NOT FP_SANITIZER STREQUAL "")
  message(FATAL_ERROR "FP_SANITIZER must be empty, 'address' or 'thread', not '${FP_SANITIZER}'")
endif()

# Code that sees the module's classes only through their declarations (a host)
# has no type information to check virtual calls against.
function(fp_host_without_vptr_check target)
  if(FP_SANITIZER STREQUAL "address")
    target_compile_options(${target} PRIVATE -fno-sanitize=vptr)
  endif()
endfunction()
