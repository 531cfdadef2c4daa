// The launcher's start-up aids: the splash screen and the startup cache.
#pragma once

#include <string>

/// Shows the configured splash image, and puts the startup cache's VM
/// options in front of launchSettings.vmArgs (a recording is given its
/// final name when the process exits). Call once the runtime library of
/// `runtimeHome` is loaded and before the VM options are built.
void prepareStartup(const std::string& runtimeHome);
