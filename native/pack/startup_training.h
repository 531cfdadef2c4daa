// vantrel-pack --startup-cache: the training run that records the startup
// cache shipped in the app folder.
#pragma once

#include <ostream>
#include <string>

#include "pack_options.h"

/// Runs the app of the finished folder `folder` once through its launcher,
/// with the training arguments and clock of `options`, so that the launcher
/// records the startup cache into the folder. `scratch` (made here, removed
/// by the caller) stands in for the user's folders, which must not change
/// what is recorded. False with the reason and the run's output.
bool recordStartupCache(const PackOptions& options, const std::string& folder,
                        const std::string& scratch, std::ostream& progress, std::string* error);
