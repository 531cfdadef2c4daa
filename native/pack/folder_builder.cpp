// The building steps of vantrel-pack, each on the folder being made.
#include "folder_builder.h"

#include <initializer_list>
#include <map>
#include <set>
#include <system_error>

#include "app_folder.h"
#include "app_vm_options.h"
#include "executable_name.h"
#include "file_util.h"
#include "jar_listing.h"
#include "runtime_image.h"
#include "runtime_layout.h"
#include "runtime_modules.h"
#include "startup_training.h"
#include "vm_option_modules.h"

namespace fs = std::filesystem;

namespace {

/// The largest splash image taken from a jar.
constexpr uint64_t maximumSplashBytes = 16u << 20;

}  // namespace

bool FolderBuilder::build(StopCheck stop, std::string* error) {
  stop_ = stop;
  for (const std::string& warning : inputs_.plan.warnings) warn(warning);
  using Step = bool (FolderBuilder::*)(std::string*);
  for (Step step : {&FolderBuilder::copyApp, &FolderBuilder::makeJre,
                    &FolderBuilder::settleVmOptions, &FolderBuilder::copyLaunchers,
                    &FolderBuilder::writeSplash, &FolderBuilder::writeConfigurations,
                    &FolderBuilder::writeDesktopFiles, &FolderBuilder::signPrograms,
                    &FolderBuilder::recordCache})
    if (stopped(stop, error) || !(this->*step)(error)) return false;
  return !stopped(stop, error);
}

bool FolderBuilder::stopped(StopCheck stop, std::string* error) {
  if (stop && stop()) *error = interruptedText;
  return stop && stop();
}

std::string FolderBuilder::at(const std::string& relative) const {
  return textOf(pathOf(folder_) / pathOf(relative));
}

void FolderBuilder::warn(const std::string& message) {
  progress_ << "Warning: " << message << std::endl;
}

bool FolderBuilder::copyApp(std::string* error) {
  return copyFiles(inputs_.plan.copy, folder_, "the app's files", progress_, stop_, error) ||
         stopped(stop_, error);
}

bool FolderBuilder::makeJre(std::string* error) {
  std::vector<std::string> modules, jars, classFolders;
  if (options_.runtime.empty()) {
    // The files where they are: what is said of them names them so.
    const AppPlan& plan = inputs_.plan;
    std::map<std::string, std::string> sources;
    for (const PlannedFile& file : plan.copy.files) sources.emplace(file.target, file.source);
    for (const std::string& jar : plan.jars) jars.push_back(sources[jar]);
    const std::set<std::string> folders(plan.copy.folders.begin(), plan.copy.folders.end());
    for (size_t i = 0; i < plan.classPath.size(); ++i)
      if (folders.count(plan.classPath[i])) classFolders.push_back(plan.classPathSources[i]);
    if (!chooseModules(options_, jars, classFolders, modulesNamedByApp(options_, plan), progress_,
                       &modules, error))
      return false;
  }
  return makeRuntime(options_, modules, at(runtimeFolderName), progress_, error);
}

/// The VM options, now that the runtime's modules are known.
bool FolderBuilder::settleVmOptions(std::string*) {
  RuntimeFacts runtime;
  const std::string home = at(runtimeFolderName);
  runtime.version = runtimeFeatureVersion(home);
  runtimeModules(home, &runtime.modules);
  std::error_code code;
  const std::string java = textOf(pathOf(home) / "bin" / executableFileName("java", hostOs));
  if (options_.target == hostOs && fs::is_regular_file(pathOf(java), code)) runtime.java = java;
  std::vector<std::string> warnings;
  vmOptions_ = appVmOptions(options_, inputs_.plan, runtime, &warnings);
  for (const LauncherSpec& launcher : inputs_.launchers)
    for (const std::string& warning : moduleOptionWarnings(launcher.vmOptions, runtime.modules))
      warnings.push_back(launcher.name + ": " + warning);
  for (const std::string& warning : warnings) warn(warning);
  return true;
}

bool FolderBuilder::writeLauncher(const std::string& name, const std::string& branded,
                                  std::string* error) {
  std::string target = at(executableFileName(name, options_.target));
  if (options_.target == PackTarget::Linux) return copyOneFile(inputs_.launcher, target, error);
  std::string written;
  if (!writeWholeFile(target, branded, error)) return false;
  // What is on the disk is what was made and checked.
  if (readWholeFile(target, &written, error) && written == branded) return true;
  *error = "cannot write " + target + " (it reads back different)";
  return false;
}

bool FolderBuilder::copyLaunchers(std::string* error) {
  if (!writeLauncher(options_.name, inputs_.brandedLauncher, error)) return false;
  for (size_t i = 0; i < inputs_.launchers.size(); ++i)
    if (!writeLauncher(inputs_.launchers[i].name,
                       i < inputs_.brandedExtras.size() ? inputs_.brandedExtras[i] : "", error))
      return false;
  return true;
}

/// --splash, else the main jar's SplashScreen-Image, beside the launcher.
bool FolderBuilder::writeSplash(std::string* error) {
  std::error_code code;
  if (!options_.splash.empty()) {
    splash_ = textOf(pathOf(options_.splash).filename());
    return copyOneFile(options_.splash, at(splash_), error);
  }
  const ManifestRequests& manifest = inputs_.plan.manifest;
  if (manifest.splashEntry.empty()) return true;
  std::string image, reason;
  if (!readJarEntry(manifest.jar, manifest.splashEntry, maximumSplashBytes, &image, &reason)) {
    warn("the main jar's SplashScreen-Image " + manifest.splashEntry + " cannot be read (" +
         reason + "): no splash");
    return true;
  }
  splash_ = textOf(pathOf(manifest.splashEntry).filename());
  if (fs::exists(pathOf(at(splash_)), code)) splash_ = "splash-" + splash_;
  return writeWholeFile(at(splash_), image, error);
}

bool FolderBuilder::writeConfiguration(const std::string& fileName, const std::string& mainClass,
                                       const std::vector<std::string>& vmArgs,
                                       const std::vector<std::string>& args, std::string* error) {
  AppConfiguration configuration;
  configuration.mainClass = mainClass;
  configuration.classPath = inputs_.plan.classPath;
  configuration.vmArgs = vmArgs;
  configuration.args = args;
  configuration.startupCache = options_.startupCache;
  configuration.splash = splash_;
  if (options_.target == PackTarget::Windows)
    configuration.appUserModelId = options_.appUserModelId;
  // One instance and restarts are the app's, not those of its extra launchers.
  if (fileName == "config.json") {
    configuration.singleInstance = options_.singleInstance;
    configuration.launchReceiver = options_.launchReceiver;
    configuration.restartExitCode = options_.restartExitCode;
  }
  // What the launcher will read is read before the folder goes into place.
  return writeWholeFile(at(fileName), configurationText(configuration), error) &&
         readsBackAsWritten(folder_, fileName, configuration, error);
}

/// config.json, and NAME.json for each extra launcher: the app's settings
/// with the launcher's main class, arguments and VM options.
bool FolderBuilder::writeConfigurations(std::string* error) {
  if (!writeConfiguration("config.json", options_.mainClass, vmOptions_, options_.arguments, error))
    return false;
  for (const LauncherSpec& launcher : inputs_.launchers) {
    std::vector<std::string> vmArgs = vmOptions_;
    vmArgs.insert(vmArgs.end(), launcher.vmOptions.begin(), launcher.vmOptions.end());
    const std::string mainClass =
        launcher.mainClass.empty() ? options_.mainClass : launcher.mainClass;
    if (!writeConfiguration(launcher.name + ".json", mainClass, vmArgs, launcher.arguments, error))
      return false;
  }
  return true;
}

bool FolderBuilder::writeDesktopFiles(std::string* error) {
  if (options_.target != PackTarget::Linux || inputs_.icon.empty()) return true;
  return writeWholeFile(at(options_.name + ".png"), inputs_.desktopIcon, error) &&
         writeWholeFile(at(options_.name + ".desktop"),
                        desktopEntry(options_, "/opt/" + options_.name), error);
}

bool FolderBuilder::signPrograms(std::string* error) {
  return signAppPrograms(inputs_.installers, folder_, options_.output, progress_, error);
}

bool FolderBuilder::recordCache(std::string* error) {
  if (!options_.startupCache || options_.target != hostOs) return true;
  // The user's folders of the training run lie beside the folder being made.
  const std::string scratch = folder_ + ".training";
  const bool recorded = recordStartupCache(options_, folder_, scratch, progress_, error);
  std::error_code code;
  fs::remove_all(pathOf(scratch), code);
  return recorded;
}
