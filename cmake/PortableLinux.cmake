# The Linux programs that ship in or build app folders (vantrel,
# vantrel-check, vantrel-pack) run on every x86-64 distribution with glibc
# 2.17 or later, and the launcher adds little memory to the app's process:
# - the C++ runtime and libgcc are linked into them;
# - the few glibc symbols whose version is newer than 2.17 are bound to their
#   older versions by native/platform/static_runtime-linux.c;
# - unused functions are left out (--gc-sections), and the launcher's own
#   libraries are optimized for size: their code runs once per start, and
#   every page of it that the start touches stays in the app's memory (for
#   the same reason the C++ runtime's demangler is left out).
# Release host builds only: the sanitizer and fuzzing builds need the shared
# runtimes.
option(VANTREL_PORTABLE_LINUX
  "Link the Linux programs for glibc 2.17 and later, with the C++ runtime inside" ON)

if(VANTREL_PORTABLE_LINUX AND NOT VANTREL_SANITIZE AND NOT VANTREL_BUILD_FUZZERS
   AND NOT CMAKE_CROSSCOMPILING
   AND CMAKE_SYSTEM_NAME STREQUAL "Linux" AND CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64"
   AND CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  set(VANTREL_PORTABLE_LINUX_ACTIVE ON)
  add_compile_options(-ffunction-sections -fdata-sections)
else()
  set(VANTREL_PORTABLE_LINUX_ACTIVE OFF)
endif()

# The glibc symbols newer than 2.17 that the programs or the static C++
# runtime use, and the C++ runtime's demangler; each has a __wrap_
# definition in static_runtime-linux.c.
set(VANTREL_WRAPPED_SYMBOLS __cxa_demangle
  __libc_start_main __libc_single_threaded _dl_find_object getrandom getentropy arc4random
  dlopen dlsym dlerror dlclose dladdr
  pthread_create pthread_join pthread_detach pthread_sigmask pthread_attr_setstacksize
  pthread_once
  pthread_key_create __pthread_key_create pthread_key_delete
  pthread_getspecific pthread_setspecific
  pthread_rwlock_rdlock pthread_rwlock_wrlock pthread_rwlock_unlock
  pthread_rwlock_init pthread_rwlock_destroy
  stat lstat fstat fstatat stat64 lstat64 fstat64 fstatat64
  powf)

# Links the program `target` as described above.
function(vantrel_portable_program target)
  if(NOT VANTREL_PORTABLE_LINUX_ACTIVE)
    return()
  endif()
  if(NOT TARGET vantrel_static_runtime)
    add_library(vantrel_static_runtime OBJECT
      ${PROJECT_SOURCE_DIR}/native/platform/static_runtime-linux.c)
    vantrel_target_defaults(vantrel_static_runtime)
  endif()
  target_link_libraries(${target} PRIVATE vantrel_static_runtime)
  list(TRANSFORM VANTREL_WRAPPED_SYMBOLS PREPEND "LINKER:--wrap=" OUTPUT_VARIABLE wraps)
  # Before glibc 2.34 the thread and dynamic-loading functions live in
  # libraries of their own, which must therefore be named as needed.
  target_link_options(${target} PRIVATE -static-libstdc++ -static-libgcc
    "LINKER:--gc-sections" ${wraps}
    "LINKER:--push-state,--no-as-needed" -l:libpthread.so.0 -l:libdl.so.2
    "LINKER:--pop-state")
endfunction()

# Optimizes the library `target` for size (see above).
function(vantrel_size_optimized target)
  if(VANTREL_PORTABLE_LINUX_ACTIVE)
    target_compile_options(${target} PRIVATE -Os)
  endif()
endfunction()
