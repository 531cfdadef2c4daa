#include "load_configuration.h"

#include <iostream>

#include "platform.h"
#include "user_options.h"

namespace {

/// The reader's inputs for a launch: its configuration file, -J options,
/// folder and user's VM options file, and the process's environment.
ConfigurationInputs configurationInputsOf(const LaunchSettings& settings) {
  ConfigurationInputs inputs;
  inputs.configPath = settings.configPath;
  inputs.commandLineVmArgs = settings.vmArgs;
  inputs.appDirectory = settings.appDirectory;
  inputs.userOptionsPath = userOptionsPath(userConfigDirectory(), settings.appName);
  inputs.environment = environmentValue;
  return inputs;
}

}  // namespace

bool printLauncherDiagnostics(const Diagnostics& diagnostics) {
  for (const Diagnostic& diagnostic : diagnostics) {
    if (diagnostic.kind == Diagnostic::Kind::quiet) continue;
    const bool error = diagnostic.kind == Diagnostic::Kind::error;
    std::cerr << (error ? "Error: " : "Warning: ") << diagnostic.message << std::endl;
    if (error) return false;
  }
  return true;
}

StepResult<Configuration> loadConfiguration(const LaunchSettings& settings) {
  const ConfigurationInputs inputs = configurationInputsOf(settings);
  Configuration configuration = readConfiguration(inputs);
  if (!printLauncherDiagnostics(configuration.diagnostics))
    return StepResult<Configuration>::stop(1);
  if (settings.verbose && configuration.userOptionsRead)
    std::cout << "Using VM options file " << inputs.userOptionsPath << " ..." << std::endl;
  return {std::move(configuration), std::nullopt};
}
