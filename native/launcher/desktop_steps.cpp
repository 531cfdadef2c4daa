#include "desktop_steps.h"

#include <utility>

#include "desktop.h"
#include "launch_queue.h"
#include "platform.h"
#include "restart.h"
#include "single_instance.h"
#include "target_os.h"

namespace {

/// The running instance's queue: its threads use it until the process is gone.
LaunchQueue* instanceQueue = nullptr;

/// Later launches go to the queue, or only bring the app to the front.
LaunchHandler handlerFor(const LaunchSettings& settings, LaunchQueue* queue) {
  if (!settings.launchReceiver.empty())
    return [queue](ForwardedLaunch launch) { return queue->push(std::move(launch)); };
  return [queue](const ForwardedLaunch&) {
    if (queue->closed()) return false;
    bringOwnWindowForward();
    return true;
  };
}

void progress(const LaunchSettings& settings, const std::string& line) {
  if (settings.verbose) printLine(line + " ...");
}

}  // namespace

StepResult<LaunchQueue*> joinInstance(const LaunchPlan& plan, const std::string& startDirectory) {
  const LaunchSettings& settings = plan.settings;
  if (!settings.singleInstance) return {nullptr, std::nullopt};
  if (settings.newInstance) {
    progress(settings, "Starting a separate instance of the app");
    return {nullptr, std::nullopt};
  }
  if (settings.appDirectory.empty()) {
    printErrorLine(
        "Warning: the app starts as an instance of its own: the launcher's folder is unknown");
    return {nullptr, std::nullopt};
  }
  InstanceRequest request;
  request.appDirectory = settings.appDirectory;
  request.launch = ForwardedLaunch{startDirectory, settings.javaArgs};
  auto* queue = new LaunchQueue;
  const InstanceOutcome outcome = claimInstance(request, handlerFor(settings, queue));
  if (outcome.kind == InstanceOutcome::Kind::first) {
    instanceQueue = queue;
    progress(settings, "Taking the later launches of the app" +
                           (settings.launchReceiver.empty() ? "" : " to " + settings.launchReceiver));
    return {settings.launchReceiver.empty() ? nullptr : queue, std::nullopt};
  }
  delete queue;
  switch (outcome.kind) {
    case InstanceOutcome::Kind::handedOver:
      progress(settings, "Handed the launch to the running instance of the app");
      return StepResult<LaunchQueue*>::stop(0);
    case InstanceOutcome::Kind::failed:
      printErrorLine("Error: " + outcome.message);
      return StepResult<LaunchQueue*>::stop(1);
    default:
      printErrorLine("Warning: the app starts as an instance of its own: " + outcome.message);
      return {nullptr, std::nullopt};
  }
}

void prepareDesktop(const LaunchPlan& plan) {
  const LaunchSettings& settings = plan.settings;
  if (!settings.appUserModelId.empty() && hostOs == TargetOs::Windows) {
    progress(settings, "Setting the AppUserModelID " + settings.appUserModelId);
    if (!setTaskbarIdentity(settings.appUserModelId))
      printErrorLine("Warning: Windows refused the AppUserModelID " + settings.appUserModelId);
  }
  if (settings.restartExitCode != 0)
    progress(settings, "Restarting the app when it ends with status " +
                           std::to_string(settings.restartExitCode));
  prepareRestart(settings.restartExitCode);
}

int endOfApp(int status) {
  if (instanceQueue) instanceQueue->close();
  const AppEnd end = endApp(status);
  if (!end.error.empty()) printErrorLine("Error: " + end.error);
  return end.status;
}
