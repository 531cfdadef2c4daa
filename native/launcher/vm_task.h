// The VM task: creates the Java VM, runs the configured main class with the
// Java arguments, and gives the status the process ends with.
#pragma once

#include <jni.h>

#include "launch_queue.h"
#include "launch_settings.h"

/// Entry points of the Java runtime library (JNI Invocation API).
using GetDefaultJavaVMInitArgsFunction = jint(JNICALL*)(void* args);
using CreateJavaVMFunction = jint(JNICALL*)(JavaVM** vm, void** env, void* args);

/// Runs settings.mainClass with settings.javaArgs in a VM created by
/// `createVm` from `args`; with `launches`, the later launches go to
/// settings.launchReceiver once main has been called. Releases the `optionCount` option strings and the
/// `options` array (allocated with new[]) once the VM is gone. Returns the
/// status the process must end with at once (a VM that was not destroyed
/// still runs): 0 when main returned normally, 1 when an exception was left
/// pending or a step failed (its message written).
int runVmTask(const LaunchSettings& settings, CreateJavaVMFunction createVm,
              JavaVMInitArgs& args, jint optionCount, JavaVMOption* options,
              LaunchQueue* launches = nullptr);

/// Releases an option array built by the launch sequence.
void releaseVmOptions(jint optionCount, JavaVMOption* options);
