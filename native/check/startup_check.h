// vantrel-check --config on the start-up keys "startupCache" and "splash".
#pragma once

#include <string>
#include <vector>

#include "configuration.h"

/// One line of the report: a warning (counted) or a note (information).
struct CheckLine {
  bool warning = false;
  std::string text;
};

/// What the checker says about "startupCache" (its value and, when true, the
/// mechanism and file a launch would use) and "splash", from the settings the
/// configuration reader found. `directory` is the folder the launcher runs in
/// ("" or ending in a separator); `appDirectory` and `appName` are the
/// launcher's folder and name, which choose the runtime and the cache folder.
std::vector<CheckLine> checkStartupSettings(const Configuration& configuration,
                                            const std::string& directory,
                                            const std::string& appDirectory,
                                            const std::string& appName);
