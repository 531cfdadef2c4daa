# Compiler strictness and instrumentation shared by every target of the project.

option(VANTREL_WERROR "Treat compiler warnings as errors" OFF)
set(VANTREL_SANITIZE "" CACHE STRING
  "Sanitizers to build with, as for -fsanitize= (for example address,undefined)")

# Applies the project's warning set (and -Werror when asked) to a target.
function(vantrel_target_defaults target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4)
    if(VANTREL_WERROR)
      target_compile_options(${target} PRIVATE /WX)
    endif()
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra)
    if(VANTREL_WERROR)
      target_compile_options(${target} PRIVATE -Werror)
    endif()
  endif()
endfunction()

if(VANTREL_SANITIZE)
  add_compile_options(-fsanitize=${VANTREL_SANITIZE} -fno-omit-frame-pointer
                      -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${VANTREL_SANITIZE})
endif()

# The Windows build carries its C and C++ runtimes inside each executable, so
# that nothing but system DLLs is needed next to it.
if(MINGW)
  add_link_options(-static -static-libgcc -static-libstdc++)
endif()
set(CMAKE_MSVC_RUNTIME_LIBRARY "MultiThreaded$<$<CONFIG:Debug>:Debug>")
