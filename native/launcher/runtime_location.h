// Where the launcher finds the Java runtime it loads.
#pragma once

#include <string>

/// The Java runtime folder of a launch, absolute: "jre" in the launcher's
/// own folder `appDirectory` when that folder exists, otherwise "jre" below
/// the current working directory (so that --cwd can name another app
/// folder). Never found through a search path.
std::string runtimeLocation(const std::string& appDirectory);
