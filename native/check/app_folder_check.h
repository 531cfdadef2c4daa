// vantrel-check --config on what makes an app folder self-contained: no
// path of the configuration outside the folder, no link of the runtime
// leading out of it, native libraries looked for in the folder only, no VM
// option naming a module the runtime lacks.
#pragma once

#include <string>
#include <vector>

#include "configuration.h"
#include "startup_check.h"

/// The warnings for the app folder `appFolder` (where the launcher lies, or
/// the folder the launcher runs in), whose runtime is `runtimeHome`, and
/// whose configuration read as `configuration` with relative paths opened
/// from `directory` ("" or ending in a separator).
std::vector<CheckLine> checkSelfContained(const Configuration& configuration,
                                          const std::string& directory,
                                          const std::string& appFolder,
                                          const std::string& runtimeHome);
