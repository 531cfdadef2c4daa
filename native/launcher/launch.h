// Carrying out a launch plan: the environment, the Java runtime library,
// the start-up aids, the VM options, and the hand-over of the VM task to a
// runner.
#pragma once

#include <jni.h>

#include <functional>

#include "launch_plan.h"

/// Creates the VM and runs the main class; ends the process, never returns.
using VmTask = std::function<void()>;

/// Runs a VM task (at once, or on a thread of its own) and returns when it is
/// done or will never run.
using VmRunner = std::function<void(VmTask task, const JavaVMInitArgs& args)>;

/// Carries out `plan` and calls `runner` once with the VM task, which ends
/// the process. Returns 1 when a step before fails (its message written),
/// 0 if the runner returns.
int runLaunch(const LaunchPlan& plan, const VmRunner& runner);
