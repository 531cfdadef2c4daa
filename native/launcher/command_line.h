// The launcher's command-line front end: program identity, the choice between
// plain argument routing and the command-line interface mode, and the Java
// program's arguments.
#pragma once

#include <string>

#include "launch_settings.h"
#include "step_result.h"
#include "tabopt.h"

/// The settings the launcher's own file gives: appDirectory and appName from
/// the executable's path (executablePath()). An empty path, or one that names
/// no folder, leaves both empty; the working directory then comes from argv[0].
LaunchSettings settingsOfLauncher(const std::string& executable);

/// `settings` completed from the process's arguments (argv ends with a null
/// entry). Stops with status 1 when help was shown or the command line is
/// wrong (the message written).
StepResult<LaunchSettings> parseCommandLine(int argc, char** argv, LaunchSettings settings);

/// Option handler of "-J": appends a copy of the value to the list of
/// strings (std::vector<std::string>) that `destination` points to. Refuses
/// nothing; without a value it changes nothing.
tabopt_result appendVmArg(tabopt_context* context, const tabopt_option* option,
                          const char* value, void* destination);
