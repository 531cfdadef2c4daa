// The launch sequence: working directory, configuration, Java runtime
// library, VM options, and the hand-over of the VM task to a runner.
#pragma once

#include <jni.h>

#include <functional>

/// Creates the VM and runs the main class; ends the process, never returns.
using VmTask = std::function<void()>;

/// Runs a VM task (at once, or on a thread of its own) and returns when it is
/// done or will never run.
using VmRunner = std::function<void(VmTask task, const JavaVMInitArgs& args)>;

/// Runs the launch sequence for launchSettings and calls `runner` once with
/// the VM task. Returns only if the runner returns. Fatal errors end the
/// process with status 1.
void launch(VmRunner runner);
