#include "configuration.h"

#include "launch_settings.h"
#include "platform.h"
#include "user_options.h"

namespace {

/// Sets the variables of "env", in the document's member order.
void setUpEnvironment(const Configuration& configuration) {
  if (!configuration.hasEnvironment) return;
  if (launchSettings.verbose) printLine("Setting up env...");
  for (const auto& [name, value] : configuration.environment) {
    if (launchSettings.verbose) printLine("  " + name + '=' + value);
    // A name the platform refuses (empty, or holding '=') is passed over.
    setEnvironmentVariable(name, value);
  }
}

}  // namespace

void loadConfiguration() {
  ConfigurationInputs inputs;
  inputs.configPath = launchSettings.configPath;
  inputs.commandLineVmArgs = launchSettings.vmArgs;
  inputs.appDirectory = launchSettings.appDirectory;
  inputs.userOptionsPath = userOptionsPath(userConfigDirectory(), launchSettings.appName);
  inputs.environment = environmentValue;
  Configuration configuration = readConfiguration(inputs);
  if (!printLauncherDiagnostics(configuration.diagnostics)) exitProcess(1);
  if (launchSettings.verbose && configuration.userOptionsRead)
    printLine("Using VM options file " + inputs.userOptionsPath + " ...");
  setUpEnvironment(configuration);
  launchSettings.vmArgs = std::move(configuration.vmArgs);
  launchSettings.mainClass = std::move(configuration.mainClass);
  launchSettings.classPath = std::move(configuration.classPath.entries);
  launchSettings.startupCache = configuration.startupCache;
  launchSettings.splashImage = std::move(configuration.splashImage);
}
