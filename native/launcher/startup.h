// The launcher's start-up aids: the splash screen and the startup cache.
#pragma once

#include <jni.h>

#include <string>
#include <vector>

#include "launch_plan.h"

/// Shows the plan's splash image, and returns the startup cache's VM
/// options, to be put in front of the plan's (a recording is built when the
/// process exits). Call once the plan's runtime library is loaded and before
/// the VM options are built.
std::vector<std::string> prepareStartup(const LaunchPlan& plan);

/// Call when the VM has found the main class, right before main runs: the
/// cache in use did not make the VM die, and a training run's clock starts.
void startupMainStarting(JNIEnv* env);
