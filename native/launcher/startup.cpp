#include "startup.h"

#include <cstdlib>

#include "file_system.h"
#include "platform.h"
#include "splash.h"
#include "startup_cache.h"
#include "startup_vm.h"
#include "vm_encoding.h"

namespace {

/// The launch's cache plan: its later steps run when main starts and at the
/// process's exit, whose handlers take no arguments.
StartupCachePlan cachePlan;
bool cacheAsked = false;
/// A training run's length in seconds (0: the app ends by itself).
unsigned trainingSeconds = 0;

void finishAtExit() { finishStartupCache(cachePlan, executablePath()); }

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
void dropUnspellable(const std::string& runtimeHome) {
  std::vector<std::string> options = cachePlan.vmOptions;
  std::vector<std::string*> texts;
  texts.reserve(options.size());
  for (std::string& option : options) texts.push_back(&option);
  if (!encodeVmOptions(runtimeHome, texts).empty())
    dropStartupCache(cachePlan, "the Java runtime cannot spell its folder's path");
}

StartupCacheRequest cacheRequest(const LaunchPlan& launch) {
  const LaunchSettings& settings = launch.settings;
  StartupCacheRequest request;
  request.appDirectory = settings.appDirectory;
  request.workingDirectory = currentDirectory();
  request.runtimeHome = launch.runtimeHome;
  request.cacheDirectory = startupCacheDirectory(settings.appName);
  request.mainClass = settings.mainClass;
  request.classPath = settings.classPath;
  request.vmArgs = settings.vmArgs;
  std::string seconds;
  request.training = environmentValue(trainingRunVariable, &seconds);
  trainingSeconds = static_cast<unsigned>(std::strtoul(seconds.c_str(), nullptr, 10));
  return request;
}

std::vector<std::string> cacheOptions(const LaunchPlan& launch) {
  const LaunchSettings& settings = launch.settings;
  if (!settings.startupCache) return {};
  cacheAsked = true;
  cachePlan = prepareStartupCache(cacheRequest(launch));
  dropUnspellable(launch.runtimeHome);
  if (!cachePlan.warning.empty()) printErrorLine("Warning: " + cachePlan.warning);
  if (settings.verbose) printLine(cachePlan.message);
  if (!cachePlan.job.empty()) std::atexit(finishAtExit);
  return cachePlan.vmOptions;
}

}  // namespace

std::vector<std::string> prepareStartup(const LaunchPlan& plan) {
  showSplash(plan);
  return cacheOptions(plan);
}

void startupMainStarting(JNIEnv* env) {
  if (!cacheAsked) return;
  startupCacheStarted(cachePlan, cachePlan.file.empty() || vmSharesClasses(env));
  JavaVM* vm = nullptr;
  if (cachePlan.training && trainingSeconds > 0 && env->GetJavaVM(&vm) == JNI_OK)
    exitVmAfter(vm, trainingSeconds);
}
