// The steps of vantrel-pack: check every input first, then build the folder
// in a temporary folder beside the output and rename it into place.
#include "pack.h"

#include <algorithm>
#include <chrono>
#include <initializer_list>
#include <cstdio>
#include <system_error>

#include "app_folder.h"
#include "exe_identity.h"
#include "file_util.h"
#include "icon_image.h"
#include "jar_listing.h"
#include "pe_resources.h"
#include "runtime_image.h"
#include "startup_cache.h"
#include "startup_training.h"
#include "zip_archive.h"

namespace fs = std::filesystem;

namespace {

/// What the checks found: the inputs the building steps use.
struct Inputs {
  std::vector<std::string> jars;  ///< file names in --input, sorted
  std::string launcher;
  std::vector<IconImage> icon;
  std::string finalFolder;
  std::string zipPath;
};

PackOutcome badInput(const std::string& message) { return {packBadInput, "Error: " + message}; }
PackOutcome failed(const std::string& message) { return {packFailed, "Error: " + message}; }

bool exists(const std::string& path) {
  std::error_code code;
  return fs::exists(fs::symlink_status(pathOf(path), code));
}

std::string launcherFile(const PackOptions& options) {
  return options.name + (options.target == PackTarget::Windows ? ".exe" : "");
}

std::string zipName(const PackOptions& options) {
  return options.name + "-" + options.appVersion + "-" + targetName(options.target) + ".zip";
}

PackOutcome checkJars(const PackOptions& options, Inputs* inputs) {
  std::error_code code;
  if (!fs::is_directory(pathOf(options.input), code))
    return badInput("the input folder " + options.input + " does not exist");
  inputs->jars = filesEndingIn(options.input, ".jar");
  if (inputs->jars.empty()) return badInput("no jars in the input folder " + options.input);
  std::string classFile = options.mainClass;
  std::replace(classFile.begin(), classFile.end(), '.', '/');
  classFile += ".class";
  for (const std::string& jar : inputs->jars) {
    std::vector<std::string> names;
    std::string error, path = textOf(pathOf(options.input) / pathOf(jar));
    if (!listJarEntries(path, &names, &error)) return badInput("cannot read " + path + ": " + error);
    if (std::find(names.begin(), names.end(), classFile) != names.end()) return {};
  }
  return badInput("the main class " + options.mainClass + " (" + classFile +
                  ") is in none of the jars of " + options.input);
}

PackOutcome checkFiles(const PackOptions& options, const std::string& toolFolder,
                       Inputs* inputs) {
  inputs->launcher = options.launcher;
  if (inputs->launcher.empty())
    inputs->launcher = textOf(pathOf(toolFolder) /
                              (options.target == PackTarget::Windows ? "Vantrel.exe" : "vantrel"));
  std::error_code code;
  if (!fs::is_regular_file(pathOf(inputs->launcher), code))
    return badInput("no launcher at " + inputs->launcher + " (pass --launcher FILE)");
  std::string error, exe;
  std::vector<ResourceEntry> resources;
  if (options.target == PackTarget::Windows &&
      !(readWholeFile(inputs->launcher, &exe, &error) && readResources(exe, &resources, &error)))
    return badInput("cannot use the launcher " + inputs->launcher + ": " + error);
  if (!options.icon.empty() && !loadIconImages(options.icon, &inputs->icon, &error))
    return badInput("cannot read the icon " + options.icon + ": " + error);
  if (!options.splash.empty() && !fs::is_regular_file(pathOf(options.splash), code))
    return badInput("cannot read the splash image " + options.splash);
  if (options.zip && !zipSupported())
    return badInput("this build of vantrel-pack cannot write zip archives (--zip)");
  return {};
}

PackOutcome checkOutput(const PackOptions& options, Inputs* inputs) {
  inputs->finalFolder = textOf(pathOf(options.output) / pathOf(options.name));
  inputs->zipPath = textOf(pathOf(options.output) / pathOf(zipName(options)));
  if (!options.force && exists(inputs->finalFolder))
    return badInput(inputs->finalFolder + " already exists (pass --force to replace it)");
  if (!options.force && options.zip && exists(inputs->zipPath))
    return badInput(inputs->zipPath + " already exists (pass --force to replace it)");
  std::error_code code;
  fs::create_directories(pathOf(options.output), code);
  if (code) return failed("cannot make the output folder " + options.output + ": " + code.message());
  return {};
}

/// A name for a temporary file or folder beside the output, unlikely to be taken.
std::string temporaryPath(const PackOptions& options, const std::string& what) {
  auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  return textOf(pathOf(options.output) /
                pathOf("." + options.name + "." + what + "-" + std::to_string(stamp % 1000000007)));
}

/// Builds the application folder in `folder`.
class FolderBuilder {
 public:
  FolderBuilder(const PackOptions& options, const Inputs& inputs, const std::string& folder,
                std::ostream& progress)
      : options_(options), inputs_(inputs), folder_(folder), progress_(progress) {}

  /// Runs the steps in order while they succeed and `stop` allows.
  bool build(StopCheck stop, std::string* error) {
    using Step = bool (FolderBuilder::*)(std::string*);
    for (Step step : {&FolderBuilder::copyJars, &FolderBuilder::makeJre,
                      &FolderBuilder::copyLauncher, &FolderBuilder::writeConfiguration,
                      &FolderBuilder::writeDesktopFiles, &FolderBuilder::recordCache})
      if (stopped(stop, error) || !(this->*step)(error)) return false;
    return !stopped(stop, error);
  }

  static bool stopped(StopCheck stop, std::string* error) {
    if (stop && stop()) *error = interruptedText;
    return stop && stop();
  }

  static constexpr const char* interruptedText = "interrupted; nothing was left behind";

 private:
  std::string at(const std::string& relative) const {
    return textOf(pathOf(folder_) / pathOf(relative));
  }

  std::vector<std::string> jarPaths() const {
    std::vector<std::string> paths;
    for (const std::string& jar : inputs_.jars) paths.push_back(at("lib/" + jar));
    return paths;
  }

  bool makeJre(std::string* error) {
    return makeRuntime(options_, jarPaths(), at("jre"), progress_, error);
  }

  bool copyJars(std::string* error) {
    std::error_code code;
    fs::create_directories(pathOf(at("lib")), code);
    for (const std::string& jar : inputs_.jars)
      if (!copyOneFile(textOf(pathOf(options_.input) / pathOf(jar)), at("lib/" + jar), error))
        return false;
    return true;
  }

  bool copyLauncher(std::string* error) {
    std::string target = at(launcherFile(options_));
    if (options_.target == PackTarget::Linux) return copyOneFile(inputs_.launcher, target, error);
    std::string exe;
    if (!readWholeFile(inputs_.launcher, &exe, error)) return false;
    ExeIdentity identity;
    identity.name = options_.name;
    identity.description = options_.description;
    identity.vendor = options_.vendor;
    identity.copyright = options_.copyright;
    identity.version = options_.appVersion;
    parseAppVersion(options_.appVersion, identity.versionParts);
    identity.utf8CodePage = runtimeFeatureVersion(at("jre")) >= 18;
    identity.icon = inputs_.icon;
    if (!brandExecutable(&exe, identity, error)) {
      *error = "cannot give " + inputs_.launcher + " the application's identity: " + *error;
      return false;
    }
    return writeWholeFile(target, exe, error);
  }

  bool writeConfiguration(std::string* error) {
    std::string splash;
    if (!options_.splash.empty()) {
      splash = textOf(pathOf(options_.splash).filename());
      if (!copyOneFile(options_.splash, at(splash), error)) return false;
    }
    return writeWholeFile(at("config.json"), configurationText(options_, inputs_.jars, splash),
                          error);
  }

  bool writeDesktopFiles(std::string* error) {
    if (options_.target != PackTarget::Linux || inputs_.icon.empty()) return true;
    std::string png;
    if (!largestImageAsPng(inputs_.icon, &png, error)) {
      *error = "cannot make a PNG of the icon " + options_.icon + ": " + *error;
      return false;
    }
    return writeWholeFile(at(options_.name + ".png"), png, error) &&
           writeWholeFile(at(options_.name + ".desktop"),
                          desktopEntry(options_, "/opt/" + options_.name), error);
  }

  /// With --startup-cache for this machine: the training run, once the
  /// folder is complete. Its scratch folder lies beside the output.
  bool recordCache(std::string* error) {
    if (!options_.startupCache || options_.target != hostTarget()) return true;
    const std::string scratch = temporaryPath(options_, "training");
    const bool recorded = recordStartupCache(options_, folder_, scratch, progress_, error);
    std::error_code code;
    fs::remove_all(pathOf(scratch), code);
    return recorded;
  }

  const PackOptions& options_;
  const Inputs& inputs_;
  std::string folder_;
  std::ostream& progress_;
};

void removeQuietly(const std::string& path) {
  std::error_code code;
  fs::remove_all(pathOf(path), code);
}

/// Puts `from` where `to` is, replacing what is there.
bool moveIntoPlace(const std::string& from, const std::string& to, const PackOptions& options,
                   std::string* error) {
  std::error_code code;
  std::string old;
  if (exists(to)) {
    old = temporaryPath(options, "old");
    fs::rename(pathOf(to), pathOf(old), code);
  }
  if (!code) fs::rename(pathOf(from), pathOf(to), code);
  if (code) {
    *error = "cannot rename " + from + " to " + to + ": " + code.message();
    return false;
  }
  if (!old.empty()) removeQuietly(old);
  return true;
}

std::string sizeText(unsigned long long bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f MiB", static_cast<double>(bytes) / (1024.0 * 1024.0));
  return text;
}

PackOutcome buildAndPlace(const PackOptions& options, const Inputs& inputs,
                          std::ostream& progress, StopCheck stop) {
  std::string folder = temporaryPath(options, "pack"), zip, error;
  std::error_code code;
  fs::create_directory(pathOf(folder), code);
  bool ok = !code && FolderBuilder(options, inputs, folder, progress).build(stop, &error);
  if (code) error = "cannot make " + folder + ": " + code.message();
  if (ok && options.zip) {
    progress << "Writing " << inputs.zipPath << " ..." << std::endl;
    zip = temporaryPath(options, "zip");
    ok = writeZip(folder, options.name, zip, &error) && !FolderBuilder::stopped(stop, &error);
  }
  unsigned long long runtimeSize = ok ? folderSize(textOf(pathOf(folder) / "jre")) : 0;
  ok = ok && moveIntoPlace(folder, inputs.finalFolder, options, &error) &&
       (zip.empty() || moveIntoPlace(zip, inputs.zipPath, options, &error));
  if (!ok) {
    removeQuietly(folder);
    if (!zip.empty()) removeQuietly(zip);
    if (FolderBuilder::stopped(stop, &error)) return {packInterrupted, "Error: " + error};
    return failed(error);
  }
  progress << "Packaged " << inputs.finalFolder << " (runtime " << sizeText(runtimeSize) << ")"
           << std::endl;
  return {};
}

}  // namespace

PackOutcome runPack(const PackOptions& options, const std::string& toolFolder,
                    std::ostream& progress, StopCheck stop) {
  Inputs inputs;
  PackOutcome outcome = checkJars(options, &inputs);
  std::string error;
  if (outcome.status == packOk && !checkRuntimeInputs(options, &error))
    outcome = badInput(error);
  if (outcome.status == packOk) outcome = checkFiles(options, toolFolder, &inputs);
  if (outcome.status == packOk) outcome = checkOutput(options, &inputs);
  if (outcome.status != packOk) return outcome;
  return buildAndPlace(options, inputs, progress, stop);
}
