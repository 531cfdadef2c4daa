#include "startup.h"

#include <cstdlib>

#include "file_system.h"
#include "launch_settings.h"
#include "platform.h"
#include "splash.h"
#include "startup_cache.h"
#include "vm_encoding.h"

namespace {

/// The recording to complete at exit: atexit handlers take no arguments.
StartupCachePlan pendingRecording;

void completeRecording() { completeStartupCache(pendingRecording); }

void showSplash(const std::string& runtimeHome) {
  if (launchSettings.splashImage.empty()) return;
  if (launchSettings.verbose)
    printLine("Showing splash image " + launchSettings.splashImage + " ...");
  const std::string problem = showSplashScreen(runtimeHome, launchSettings.splashImage);
  if (!problem.empty()) printErrorLine("Warning: " + problem);
}

/// A cache folder whose path the runtime's code page cannot spell (Windows)
/// means a launch without the cache: the cache never stops a launch.
void dropUnspellable(const std::string& runtimeHome, StartupCachePlan& plan) {
  std::vector<std::string> options = plan.vmOptions;
  std::vector<std::string*> texts;
  for (std::string& option : options) texts.push_back(&option);
  if (encodeVmOptions(runtimeHome, texts).empty()) return;
  if (!plan.recording.empty()) removeFile(plan.recording);
  plan = StartupCachePlan();
  plan.message = "No startup cache: the Java runtime cannot spell its folder's path";
}

void addCacheOptions(const std::string& runtimeHome) {
  if (!launchSettings.startupCache) return;
  StartupCacheRequest request;
  request.workingDirectory = currentDirectory();
  request.runtimeHome = runtimeHome;
  request.cacheDirectory = startupCacheDirectory(launchSettings.appName);
  request.classPath = launchSettings.classPath;
  request.vmArgs = launchSettings.vmArgs;
  StartupCachePlan plan = prepareStartupCache(request);
  dropUnspellable(runtimeHome, plan);
  if (launchSettings.verbose) printLine(plan.message);
  std::vector<std::string>& vmArgs = launchSettings.vmArgs;
  vmArgs.insert(vmArgs.begin(), plan.vmOptions.begin(), plan.vmOptions.end());
  if (plan.recording.empty()) return;
  // The VM writes the recording as it shuts down, before exit handlers run.
  pendingRecording = std::move(plan);
  std::atexit(completeRecording);
}

}  // namespace

void prepareStartup(const std::string& runtimeHome) {
  showSplash(runtimeHome);
  addCacheOptions(runtimeHome);
}
