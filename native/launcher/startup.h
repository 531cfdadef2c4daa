// The launcher's start-up aids: the splash screen and the startup cache.
#pragma once

#include <jni.h>

#include <string>

/// Shows the configured splash image, and puts the startup cache's VM
/// options in front of launchSettings.vmArgs (a recording is built when the
/// process exits). Call once the runtime library of `runtimeHome` is loaded
/// and before the VM options are built.
void prepareStartup(const std::string& runtimeHome);

/// Call when the VM has found the main class, right before main runs: the
/// cache in use did not make the VM die, and a training run's clock starts.
void startupMainStarting(JNIEnv* env);
