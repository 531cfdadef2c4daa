// The steps of vantrel-pack: check every input first, then build the folder
// in a temporary folder beside the output and rename it into place.
#include "pack.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <initializer_list>
#include <memory>
#include <new>
#include <system_error>

#include "app_folder.h"
#include "exe_identity.h"
#include "executable_name.h"
#include "file_util.h"
#include "icon_image.h"
#include "installers.h"
#include "jar_listing.h"
#include "pe_image.h"
#include "runtime_image.h"
#include "runtime_layout.h"
#include "startup_training.h"
#include "utf8_text.h"
#include "zip_archive.h"

namespace fs = std::filesystem;

namespace {

/// What the checks found: the inputs the building steps use.
struct Inputs {
  std::vector<std::string> jars;  ///< file names in --input, sorted
  std::string launcher;
  std::string brandedLauncher;    ///< Windows: the launcher with the app's identity
  std::vector<IconImage> icon;
  std::string desktopIcon;        ///< Linux: the icon as a PNG file
  std::string finalFolder;
  std::string zipPath;
  InstallerPlan installers;
};

/// The largest main class file read to check it.
constexpr uint64_t maximumClassBytes = 16u << 20;

PackOutcome badInput(const std::string& message) { return {packBadInput, "Error: " + message}; }
PackOutcome failed(const std::string& message) { return {packFailed, "Error: " + message}; }

bool exists(const std::string& path) {
  std::error_code code;
  return fs::exists(fs::symlink_status(pathOf(path), code));
}

std::string zipName(const PackOptions& options) {
  return options.name + "-" + options.appVersion + "-" + targetName(options.target) + ".zip";
}

std::string classFileOf(const std::string& mainClass) {
  std::string classFile = mainClass;
  std::replace(classFile.begin(), classFile.end(), '.', '/');
  return classFile + ".class";
}

/// The main class's entry holds a class file.
PackOutcome checkMainClass(const std::string& jar, const JarEntry& entry) {
  std::string data, error;
  if (!readJarEntry(jar, entry, maximumClassBytes, &data, &error))
    return badInput("cannot use the jar " + jar + ": " + error);
  if (data.compare(0, 4, "\xca\xfe\xba\xbe") != 0)
    return badInput("cannot use the jar " + jar + ": its entry " + entry.name +
                    " is not a class file");
  return {};
}

/// One jar is a readable zip archive with a name a zip archive can hold
/// when one is made; its entry `classFile`, when it has one, in `*found`.
PackOutcome checkJar(const std::string& path, bool zip, const std::string& classFile,
                     JarEntry* found) {
  std::vector<JarEntry> entries;
  std::string error;
  if (zip && !isUtf8(textOf(pathOf(path).filename())))
    return badInput("cannot use the jar " + shownUtf8(path) +
                    " with --zip: its name is not UTF-8, which zip archives need");
  if (!readJarDirectory(path, &entries, &error)) return badInput("cannot read " + path + ": " + error);
  auto entry = std::find_if(entries.begin(), entries.end(),
                            [&](const JarEntry& candidate) { return candidate.name == classFile; });
  if (found && entry != entries.end()) *found = *entry;
  return {};
}

/// Every jar passes checkJar; one of them holds the main class, which must
/// be a class file.
PackOutcome checkJars(const PackOptions& options, Inputs* inputs) {
  std::error_code code;
  if (!fs::is_directory(pathOf(options.input), code))
    return badInput("the input folder " + options.input + " does not exist");
  inputs->jars = filesEndingIn(options.input, ".jar");
  if (inputs->jars.empty()) return badInput("no jars in the input folder " + options.input);
  std::string classFile = classFileOf(options.mainClass), mainJar;
  JarEntry mainEntry;
  for (const std::string& jar : inputs->jars) {
    std::string path = textOf(pathOf(options.input) / pathOf(jar));
    PackOutcome outcome = checkJar(path, options.zip, classFile, mainJar.empty() ? &mainEntry : nullptr);
    if (outcome.status != packOk) return outcome;
    if (mainJar.empty() && !mainEntry.name.empty()) mainJar = path;
  }
  if (!mainJar.empty()) return checkMainClass(mainJar, mainEntry);
  return badInput("the main class " + options.mainClass + " (" + classFile +
                  ") is in none of the jars of " + options.input);
}

/// The identity a Windows launcher is given.
ExeIdentity identityOf(const PackOptions& options, const std::vector<IconImage>& icon) {
  ExeIdentity identity;
  identity.name = options.name;
  identity.description = options.description;
  identity.vendor = options.vendor;
  identity.copyright = options.copyright;
  identity.version = options.appVersion;
  parseAppVersion(options.appVersion, identity.versionParts);
  // The runtime made with --jdk is of the JDK's version.
  identity.utf8CodePage =
      runtimeFeatureVersion(options.runtime.empty() ? options.jdk : options.runtime) >= 18;
  identity.icon = icon;
  return identity;
}

/// The launcher, given the app's identity now: all that can go wrong with
/// it does before the slow steps.
PackOutcome checkLauncher(const PackOptions& options, Inputs* inputs) {
  std::error_code code;
  if (!fs::is_regular_file(pathOf(inputs->launcher), code))
    return badInput("no launcher at " + inputs->launcher + " (pass --launcher FILE)");
  if (options.target != PackTarget::Windows) return {};
  ExeIdentity identity = identityOf(options, inputs->icon);
  std::string error, version;
  if (!versionResource(identity, &version, &error)) return badInput(error);
  std::string& exe = inputs->brandedLauncher;
  if (!readFileUpTo(inputs->launcher, maximumImageBytes, &exe, &error) ||
      !brandExecutable(&exe, identity, &error))
    return badInput("cannot use the launcher " + inputs->launcher + ": " + error);
  return {};
}

PackOutcome checkFiles(const PackOptions& options, const std::string& toolFolder,
                       Inputs* inputs) {
  inputs->launcher = options.launcher;
  if (inputs->launcher.empty())
    inputs->launcher = textOf(pathOf(toolFolder) / defaultLauncherFileName(options.target));
  std::string error;
  if (!options.icon.empty() && !loadIconImages(options.icon, &inputs->icon, &error))
    return badInput("cannot read the icon " + options.icon + ": " + error);
  if (options.target == PackTarget::Linux && !inputs->icon.empty() &&
      !largestImageAsPng(inputs->icon, &inputs->desktopIcon, &error))
    return badInput("cannot read the icon " + options.icon + ": " + error);
  PackOutcome launcher = checkLauncher(options, inputs);
  if (launcher.status != packOk) return launcher;
  std::error_code code;
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
                      &FolderBuilder::writeDesktopFiles, &FolderBuilder::signPrograms,
                      &FolderBuilder::recordCache})
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
    return makeRuntime(options_, jarPaths(), at(runtimeFolderName), progress_, error);
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
    std::string target = at(executableFileName(options_.name, options_.target));
    if (options_.target == PackTarget::Linux) return copyOneFile(inputs_.launcher, target, error);
    std::string written;
    if (!writeWholeFile(target, inputs_.brandedLauncher, error)) return false;
    // What is on the disk is what was made and checked.
    if (readWholeFile(target, &written, error) && written == inputs_.brandedLauncher) return true;
    *error = "cannot write " + target + " (it reads back different)";
    return false;
  }

  bool writeConfiguration(std::string* error) {
    std::string splash;
    if (!options_.splash.empty()) {
      splash = textOf(pathOf(options_.splash).filename());
      if (!copyOneFile(options_.splash, at(splash), error)) return false;
    }
    // What the launcher will read is read before the folder goes into place.
    return writeWholeFile(at("config.json"), configurationText(options_, inputs_.jars, splash),
                          error) &&
           readsBackAsWritten(folder_, options_, inputs_.jars, splash, error);
  }

  bool writeDesktopFiles(std::string* error) {
    if (options_.target != PackTarget::Linux || inputs_.icon.empty()) return true;
    return writeWholeFile(at(options_.name + ".png"), inputs_.desktopIcon, error) &&
           writeWholeFile(at(options_.name + ".desktop"),
                          desktopEntry(options_, "/opt/" + options_.name), error);
  }

  /// With --startup-cache for this machine: the training run, once the
  /// folder is complete. Its scratch folder lies beside the output.
  bool recordCache(std::string* error) {
    if (!options_.startupCache || options_.target != hostOs) return true;
    const std::string scratch = temporaryPath(options_, "training");
    const bool recorded = recordStartupCache(options_, folder_, scratch, progress_, error);
    std::error_code code;
    fs::remove_all(pathOf(scratch), code);
    return recorded;
  }

  bool signPrograms(std::string* error) {
    return signAppPrograms(inputs_.installers, folder_, options_.output, progress_, error);
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

/// A staging folder or file beside the output: gone when the run ends,
/// however it ends, unless it was moved into place.
class Staged {
 public:
  explicit Staged(std::string path) : path_(std::move(path)) {}
  Staged(const Staged&) = delete;
  Staged& operator=(const Staged&) = delete;
  ~Staged() { removeQuietly(path_); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

/// "Packaged FOLDER (SIZE, runtime SIZE)", then each archive or installer
/// with its size: ", A (SIZE) and B (SIZE)".
std::string packagedLine(const std::string& folder, unsigned long long folderBytes,
                         unsigned long long runtimeBytes, const std::vector<std::string>& archives) {
  std::string line = "Packaged " + folder + " (" + sizeText(folderBytes) + ", runtime " +
                     sizeText(runtimeBytes) + ")";
  for (size_t i = 0; i < archives.size(); ++i) {
    std::error_code code;
    auto bytes = fs::file_size(pathOf(archives[i]), code);
    line += (i + 1 == archives.size() ? " and " : ", ") + archives[i] + " (" +
            sizeText(code ? 0 : bytes) + ")";
  }
  return line;
}

PackOutcome buildAndPlace(const PackOptions& options, const Inputs& inputs,
                          std::ostream& progress, StopCheck stop) {
  Staged folder(temporaryPath(options, "pack"));
  std::unique_ptr<Staged> zip;
  std::string error;
  std::error_code code;
  fs::create_directory(pathOf(folder.path()), code);
  bool ok = !code && FolderBuilder(options, inputs, folder.path(), progress).build(stop, &error);
  if (code) error = "cannot make " + folder.path() + ": " + code.message();
  if (ok && options.zip) {
    progress << "Writing " << inputs.zipPath << " ..." << std::endl;
    zip = std::make_unique<Staged>(temporaryPath(options, "zip"));
    ok = writeZip(folder.path(), options.name, zip->path(), &error) &&
         !FolderBuilder::stopped(stop, &error);
  }
  Staged work(temporaryPath(options, "installers"));
  std::vector<std::unique_ptr<Staged>> installers;
  for (const InstallerOutput& output : inputs.installers.outputs)
    installers.push_back(std::make_unique<Staged>(output.temporaryPath));
  ok = ok && buildInstallers(inputs.installers, options, folder.path(), inputs.icon, work.path(),
                             progress, stop, &error);
  unsigned long long folderBytes = ok ? folderSize(folder.path()) : 0;
  unsigned long long runtimeBytes =
      ok ? folderSize(textOf(pathOf(folder.path()) / runtimeFolderName)) : 0;
  ok = ok && moveIntoPlace(folder.path(), inputs.finalFolder, options, &error) &&
       (!zip || moveIntoPlace(zip->path(), inputs.zipPath, options, &error));
  for (const InstallerOutput& output : inputs.installers.outputs)
    ok = ok && moveIntoPlace(output.temporaryPath, output.path, options, &error);
  if (!ok) {
    if (FolderBuilder::stopped(stop, &error)) return {packInterrupted, "Error: " + error};
    return failed(error);
  }
  std::vector<std::string> archives;
  if (zip) archives.push_back(inputs.zipPath);
  for (const InstallerOutput& output : inputs.installers.outputs) archives.push_back(output.path);
  progress << packagedLine(inputs.finalFolder, folderBytes, runtimeBytes, archives) << std::endl;
  return {};
}

PackOutcome checkAndBuild(const PackOptions& options, const std::string& toolFolder,
                          std::ostream& progress, StopCheck stop) {
  Inputs inputs;
  PackOutcome outcome = checkJars(options, &inputs);
  std::string error;
  if (outcome.status == packOk && !checkRuntimeInputs(options, &error))
    outcome = badInput(error);
  if (outcome.status == packOk) outcome = checkFiles(options, toolFolder, &inputs);
  if (outcome.status == packOk && !planInstallers(options, &inputs.installers, &error))
    outcome = badInput(error);
  if (outcome.status == packOk) outcome = checkOutput(options, &inputs);
  if (outcome.status != packOk) return outcome;
  return buildAndPlace(options, inputs, progress, stop);
}

}  // namespace

PackOutcome runPack(const PackOptions& options, const std::string& toolFolder,
                    std::ostream& progress, StopCheck stop) {
  // The staging folder is removed on the way out of an exception too.
  try {
    return checkAndBuild(options, toolFolder, progress, stop);
  } catch (const std::bad_alloc&) {
    return failed("out of memory");
  } catch (const std::exception& exception) {
    return failed(exception.what());
  }
}
