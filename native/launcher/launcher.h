// The launcher as a pipeline of steps that pass values and return results:
// command line -> LaunchSettings -> working directory -> Configuration ->
// LaunchPlan -> runLaunch. A step that ends the launch returns the exit
// status, which only the entry points turn into the process's end.
#pragma once

#include "launch.h"
#include "launch_settings.h"

/// The launch for the command line's `settings`: enters their working
/// directory, loads the configuration, plans and runs the launch. Returns
/// the exit status when the launch ends before the VM task runs (or the
/// runner returns).
int launch(LaunchSettings settings, const VmRunner& runner);

/// The whole launcher: the command line (argv ends with a null entry) over
/// the settings of the launcher's own file (settingsOfLauncher), then launch.
int runLauncher(int argc, char** argv, LaunchSettings own, const VmRunner& runner);
