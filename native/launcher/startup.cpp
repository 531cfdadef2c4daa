#include "startup.h"

#include <cstdlib>

#include "file_system.h"
#include "platform.h"
#include "splash.h"
#include "startup_cache.h"
#include "vm_encoding.h"

namespace {

/// The recording to complete at exit: atexit handlers take no arguments.
StartupCachePlan pendingRecording;

void completeRecording() { completeStartupCache(pendingRecording); }

void showSplash(const LaunchPlan& plan) {
  const LaunchSettings& settings = plan.settings;
  if (settings.splashImage.empty()) return;
  if (settings.verbose)
    printLine("Showing splash image " + settings.splashImage + " ...");
  const std::string problem = showSplashScreen(plan.runtimeHome, settings.splashImage);
  if (!problem.empty()) printErrorLine("Warning: " + problem);
}

/// A cache folder whose path the runtime's code page cannot spell (Windows)
/// means a launch without the cache: the cache never stops a launch.
void dropUnspellable(const std::string& runtimeHome, StartupCachePlan& plan) {
  std::vector<std::string> options = plan.vmOptions;
  std::vector<std::string*> texts;
  texts.reserve(options.size());
  for (std::string& option : options) texts.push_back(&option);
  if (encodeVmOptions(runtimeHome, texts).empty()) return;
  if (!plan.recording.empty()) removeFile(plan.recording);
  plan = StartupCachePlan();
  plan.message = "No startup cache: the Java runtime cannot spell its folder's path";
}

std::vector<std::string> cacheOptions(const LaunchPlan& launch) {
  const LaunchSettings& settings = launch.settings;
  if (!settings.startupCache) return {};
  StartupCacheRequest request;
  request.workingDirectory = currentDirectory();
  request.runtimeHome = launch.runtimeHome;
  request.cacheDirectory = startupCacheDirectory(settings.appName);
  request.classPath = settings.classPath;
  request.vmArgs = settings.vmArgs;
  StartupCachePlan plan = prepareStartupCache(request);
  dropUnspellable(launch.runtimeHome, plan);
  if (settings.verbose) printLine(plan.message);
  std::vector<std::string> options = plan.vmOptions;
  if (plan.recording.empty()) return options;
  // The VM writes the recording as it shuts down, before exit handlers run.
  pendingRecording = std::move(plan);
  std::atexit(completeRecording);
  return options;
}

}  // namespace

std::vector<std::string> prepareStartup(const LaunchPlan& plan) {
  showSplash(plan);
  return cacheOptions(plan);
}
