// The Java runtime's option hooks ("exit", "abort", "vfprintf"): the
// launcher's own exit path runs when Java calls System.exit, and the
// runtime's start-up messages reach the user also where standard error
// reaches nobody.
#pragma once

#include <jni.h>

/// Returns a copy of the `*optionCount` options (allocated with new[], as
/// releaseVmOptions expects) with the platform's hooks appended, releases
/// the old array and updates `*optionCount`. On POSIX there are none and the
/// array is returned as it is.
JavaVMOption* appendVmHooks(JavaVMOption* options, jint* optionCount);
