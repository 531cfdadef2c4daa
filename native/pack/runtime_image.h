// The Java runtime of a packaged application: copied as it is, or made
// with a JDK's jlink from the modules the application's jars use.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "pack_options.h"

/// Makes the runtime folder `destination` (not existing yet) as `options`
/// say: --runtime copied (see copyRuntime), or --jdk's jlink with `modules`.
/// Writes progress lines; false with the reason (and a failing tool's
/// output) in `error`.
bool makeRuntime(const PackOptions& options, const std::vector<std::string>& modules,
                 const std::string& destination, std::ostream& progress, std::string* error);

/// Checks, before anything is made, what makeRuntime will use: the --runtime
/// folder holds the target's runtime library, or --jdk has jlink (and
/// --jmods is given for another platform). False with the reason.
bool checkRuntimeInputs(const PackOptions& options, std::string* error);
