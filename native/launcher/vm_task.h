// The VM task: creates the Java VM, runs the configured main class with the
// Java arguments, and ends the process with the outcome.
#pragma once

#include <jni.h>

/// Entry points of the Java runtime library (JNI Invocation API).
using GetDefaultJavaVMInitArgsFunction = jint(JNICALL*)(void* args);
using CreateJavaVMFunction = jint(JNICALL*)(JavaVM** vm, void** env, void* args);

/// Runs launchSettings.mainClass with launchSettings.javaArgs in a VM
/// created by `createVm` from `args`. Releases the `optionCount` option
/// strings and the `options` array (allocated with new[]) once the VM is
/// gone, and ends the process: status 0 when main returned normally, 1 when
/// an exception was left pending or a step failed.
[[noreturn]] void runVmTask(CreateJavaVMFunction createVm, JavaVMInitArgs& args,
                            jint optionCount, JavaVMOption* options);

/// Releases an option array built by the launch sequence.
void releaseVmOptions(jint optionCount, JavaVMOption* options);
