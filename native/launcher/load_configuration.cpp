#include "load_configuration.h"


#include "platform.h"
#include "user_options.h"

namespace {

/// The reader's inputs for a launch: its configuration file, -J options,
/// folder and user's VM options file, and the process's environment.
ConfigurationInputs configurationInputsOf(const LaunchSettings& settings) {
  ConfigurationInputs inputs;
  const bool chosen = settings.configFromCommandLine || settings.configPath != "config.json";
  inputs.configPath = chosen ? settings.configPath
                             : defaultConfigurationFile(std::string(), settings.appName);
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
    printErrorLine((error ? "Error: " : "Warning: ") + diagnostic.message);
    if (error) return false;
  }
  return true;
}

StepResult<Configuration> loadConfiguration(const LaunchSettings& settings) {
  const ConfigurationInputs inputs = configurationInputsOf(settings);
  // config.json goes without saying; another file the launcher chose itself is named.
  if (settings.verbose && inputs.configPath != settings.configPath)
    printLine("Using configuration file " + inputs.configPath + " ...");
  Configuration configuration = readConfiguration(inputs);
  if (!printLauncherDiagnostics(configuration.diagnostics))
    return StepResult<Configuration>::stop(1);
  if (settings.verbose && configuration.userOptionsRead)
    printLine("Using VM options file " + inputs.userOptionsPath + " ...");
  return {std::move(configuration), std::nullopt};
}
