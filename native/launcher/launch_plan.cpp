#include "launch_plan.h"


#include "file_system.h"
#include "platform.h"
#include "runtime_layout.h"

LaunchPlan planLaunch(LaunchSettings settings, Configuration configuration) {
  LaunchPlan plan;
  plan.settings = std::move(settings);
  LaunchSettings& planned = plan.settings;
  planned.vmArgs = std::move(configuration.vmArgs);
  planned.mainClass = std::move(configuration.mainClass);
  planned.classPath = std::move(configuration.classPath.entries);
  planned.javaArgs.insert(planned.javaArgs.begin(), configuration.args.begin(),
                          configuration.args.end());
  planned.startupCache = configuration.startupCache;
  planned.splashImage = std::move(configuration.splashImage);
  planned.appUserModelId = std::move(configuration.appUserModelId);
  planned.singleInstance = configuration.singleInstance;
  planned.launchReceiver = std::move(configuration.launchReceiver);
  planned.restartExitCode = configuration.restartExitCode;
  plan.setsEnvironment = configuration.hasEnvironment;
  plan.environment = std::move(configuration.environment);
  plan.runtimeHome = runtimeLocation(planned.appDirectory, currentDirectory());
  return plan;
}

void applyEnvironment(const LaunchPlan& plan) {
  if (!plan.setsEnvironment) return;
  const bool verbose = plan.settings.verbose;
  if (verbose) printLine("Setting up env...");
  for (const auto& [name, value] : plan.environment) {
    if (verbose) printLine("  " + name + '=' + value);
    setEnvironmentVariable(name, value);
  }
}
