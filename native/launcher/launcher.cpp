#include "launcher.h"

#include "command_line.h"
#include "desktop_steps.h"
#include "file_system.h"
#include "load_configuration.h"
#include "platform.h"

namespace {

/// A folder that cannot be entered is a warning: the launch goes on.
void enterWorkingDirectory(const LaunchSettings& settings) {
  const std::string& directory = settings.workingDirectory;
  if (directory.empty()) return;
  if (settings.verbose)
    printLine("Changing working directory to " + directory + " ...");
  if (!changeWorkingDirectory(directory))
    printErrorLine("Warning: failed to change working directory to " + directory);
}

}  // namespace

int launch(LaunchSettings settings, const VmRunner& runner) {
  // A later launch hands its own folder to the running instance.
  const std::string startDirectory = currentDirectory();
  enterWorkingDirectory(settings);
  StepResult<Configuration> configuration = loadConfiguration(settings);
  if (configuration.stops()) return *configuration.exitStatus;
  LaunchPlan plan = planLaunch(std::move(settings), std::move(configuration.value));
  const StepResult<LaunchQueue*> instance = joinInstance(plan, startDirectory);
  if (instance.stops()) return *instance.exitStatus;
  plan.launches = instance.value;
  prepareDesktop(plan);
  return runLaunch(plan, runner);
}

int runLauncher(int argc, char** argv, LaunchSettings own, const VmRunner& runner) {
  StepResult<LaunchSettings> settings = parseCommandLine(argc, argv, std::move(own));
  if (settings.stops()) return *settings.exitStatus;
  return launch(std::move(settings.value), runner);
}
