#include "startup.h"

#include <cstdlib>
#include <iostream>

#include "file_system.h"
#include "launch_settings.h"
#include "platform.h"
#include "splash.h"
#include "startup_cache.h"
#include "startup_vm.h"
#include "vm_encoding.h"

namespace {

/// The launch's cache plan: its later steps run when main starts and at exit.
StartupCachePlan cachePlan;
/// A training run's length in seconds (0: the app ends by itself).
unsigned trainingSeconds = 0;

void finishAtExit() { finishStartupCache(cachePlan, executablePath()); }

void showSplash(const std::string& runtimeHome) {
  if (launchSettings.splashImage.empty()) return;
  if (launchSettings.verbose)
    std::cout << "Showing splash image " << launchSettings.splashImage << " ..." << std::endl;
  const std::string problem = showSplashScreen(runtimeHome, launchSettings.splashImage);
  if (!problem.empty()) std::cerr << "Warning: " << problem << std::endl;
}

/// A cache folder whose path the runtime's code page cannot spell (Windows)
/// means a launch without the cache: the cache never stops a launch.
void dropUnspellable(const std::string& runtimeHome) {
  std::vector<std::string> options = cachePlan.vmOptions;
  std::vector<std::string*> texts;
  for (std::string& option : options) texts.push_back(&option);
  if (!encodeVmOptions(runtimeHome, texts).empty())
    dropStartupCache(cachePlan, "the Java runtime cannot spell its folder's path");
}

StartupCacheRequest cacheRequest(const std::string& runtimeHome) {
  StartupCacheRequest request;
  request.appDirectory = launchSettings.appDirectory;
  request.workingDirectory = currentDirectory();
  request.runtimeHome = runtimeHome;
  request.cacheDirectory = startupCacheDirectory(launchSettings.appName);
  request.mainClass = launchSettings.mainClass;
  request.classPath = launchSettings.classPath;
  request.vmArgs = launchSettings.vmArgs;
  std::string seconds;
  request.training = environmentValue(trainingRunVariable, &seconds);
  trainingSeconds = static_cast<unsigned>(std::strtoul(seconds.c_str(), nullptr, 10));
  return request;
}

void addCacheOptions(const std::string& runtimeHome) {
  if (!launchSettings.startupCache) return;
  cachePlan = prepareStartupCache(cacheRequest(runtimeHome));
  dropUnspellable(runtimeHome);
  if (!cachePlan.warning.empty()) std::cerr << "Warning: " << cachePlan.warning << std::endl;
  if (launchSettings.verbose) std::cout << cachePlan.message << std::endl;
  std::vector<std::string>& vmArgs = launchSettings.vmArgs;
  vmArgs.insert(vmArgs.begin(), cachePlan.vmOptions.begin(), cachePlan.vmOptions.end());
  if (!cachePlan.job.empty()) std::atexit(finishAtExit);
}

}  // namespace

void prepareStartup(const std::string& runtimeHome) {
  showSplash(runtimeHome);
  addCacheOptions(runtimeHome);
}

void startupMainStarting(JNIEnv* env) {
  if (!launchSettings.startupCache) return;
  startupCacheStarted(cachePlan, cachePlan.file.empty() || vmSharesClasses(env));
  JavaVM* vm = nullptr;
  if (cachePlan.training && trainingSeconds > 0 && env->GetJavaVM(&vm) == JNI_OK)
    exitVmAfter(vm, trainingSeconds);
}
