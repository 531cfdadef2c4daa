#include "launch_plan.h"

#include <iostream>

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
  planned.startupCache = configuration.startupCache;
  planned.splashImage = std::move(configuration.splashImage);
  plan.setsEnvironment = configuration.hasEnvironment;
  plan.environment = std::move(configuration.environment);
  plan.runtimeHome = runtimeLocation(planned.appDirectory, currentDirectory());
  return plan;
}

void applyEnvironment(const LaunchPlan& plan) {
  if (!plan.setsEnvironment) return;
  const bool verbose = plan.settings.verbose;
  if (verbose) std::cout << "Setting up env..." << std::endl;
  for (const auto& [name, value] : plan.environment) {
    if (verbose) std::cout << "  " << name << '=' << value << std::endl;
    setEnvironmentVariable(name, value);
  }
}
