// The launcher's use of the configuration reader: the diagnostics written
// as "Warning:" and "Error:" lines, and the launch stopped at the first error.
#pragma once

#include "configuration.h"
#include "launch_settings.h"
#include "step_result.h"

/// Writes the diagnostics as the launcher does ("Error: ..." and
/// "Warning: ..." lines on standard error, quiet ones left out) up to and
/// including the first error. False when there was an error.
bool printLauncherDiagnostics(const Diagnostics& diagnostics);

/// Reads the configuration of a launch with `settings` and writes its
/// diagnostics on standard error up to the first error, with which the
/// launch stops (status 1). With -v, names the user's VM options file when
/// it was read.
StepResult<Configuration> loadConfiguration(const LaunchSettings& settings);
