# Locates the JDK whose jni.h the launcher is compiled against.
#
# VANTREL_JDK_HOME may be given; otherwise JAVA_HOME, then the JDK that owns the
# javac found on the search path. Only the headers are used at build time: the
# launcher loads the Java runtime library itself when it runs.

set(VANTREL_JDK_HOME "" CACHE PATH "JDK whose include/jni.h is used")

if(NOT VANTREL_JDK_HOME)
  if(DEFINED ENV{JAVA_HOME} AND EXISTS "$ENV{JAVA_HOME}/include/jni.h")
    set(_jdk "$ENV{JAVA_HOME}")
  else()
    find_program(_javac javac NO_CMAKE_FIND_ROOT_PATH)
    if(_javac)
      get_filename_component(_javac_real "${_javac}" REALPATH)
      get_filename_component(_jdk "${_javac_real}/../.." ABSOLUTE)
    endif()
  endif()
  if(NOT _jdk OR NOT EXISTS "${_jdk}/include/jni.h")
    message(FATAL_ERROR "No JDK found for jni.h: install a JDK or set VANTREL_JDK_HOME")
  endif()
  set(VANTREL_JDK_HOME "${_jdk}" CACHE PATH "JDK whose include/jni.h is used" FORCE)
endif()

# jni.h comes from the JDK; jni_md.h is platform-specific. For Windows targets
# the project ships its own (the build machine's JDK is usually not a Windows one).
add_library(vantrel_jni INTERFACE)
if(WIN32)
  target_include_directories(vantrel_jni SYSTEM INTERFACE
    "${CMAKE_SOURCE_DIR}/native/launcher/jni-win64"
    "${VANTREL_JDK_HOME}/include")
else()
  target_include_directories(vantrel_jni SYSTEM INTERFACE
    "${VANTREL_JDK_HOME}/include"
    "${VANTREL_JDK_HOME}/include/linux")
endif()
