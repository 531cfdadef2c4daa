// The launcher's start-up aids: the splash screen and the startup cache.
#pragma once

#include <string>
#include <vector>

#include "launch_plan.h"

/// Shows the plan's splash image, and returns the startup cache's VM
/// options, to be put in front of the plan's (a recording is given its
/// final name when the process exits). Call once the plan's runtime library
/// is loaded and before the VM options are built.
std::vector<std::string> prepareStartup(const LaunchPlan& plan);
