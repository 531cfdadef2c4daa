// Where a launch finds the Java runtime it loads.
#pragma once

#include <string>

/// The Java runtime folder of a launch: "jre" in the launcher's own folder
/// `appDirectory` when that folder exists, otherwise "jre" below the
/// working directory `workingDirectory` (so that --cwd can name another app
/// folder). Absolute when the folders given are; never found through a
/// search path.
std::string runtimeLocation(const std::string& appDirectory,
                            const std::string& workingDirectory);
