// The Java runtime's option hooks ("exit", "abort", "vfprintf"): the
// launcher's own exit path runs when Java calls System.exit, and the
// runtime's start-up messages reach the user also where standard error
// reaches nobody.
#pragma once

#include <jni.h>

#include <vector>

/// Returns a copy of the `*optionCount` options (allocated with new[], as
/// releaseVmOptions expects) with the platform's hooks appended, releases
/// the old array and updates `*optionCount`. Windows always has hooks; on
/// POSIX there is only the exit hook, and only when `seeExitStatus` (the
/// app's status decides about a restart), else the array is returned as it
/// is.
JavaVMOption* appendVmHooks(JavaVMOption* options, jint* optionCount, bool seeExitStatus);

// ---- shared by the platforms' hooks (vm_hooks.cpp) --------------------------

/// Java's System.exit: the launcher's end of the app, then its exit path.
void JNICALL exitThroughLauncher(jint status);

/// An option naming a hook; its text is allocated with new[].
JavaVMOption hookOption(const char* name, void* hook);

/// `options` and `hooks` in one new array; `options` is released.
JavaVMOption* withHooks(JavaVMOption* options, jint* optionCount,
                        const std::vector<JavaVMOption>& hooks);
