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

#include "class_path.h"
#include "exe_identity.h"
#include "executable_name.h"
#include "file_util.h"
#include "folder_builder.h"
#include "pack_inputs.h"
#include "pe_image.h"
#include "runtime_image.h"
#include "runtime_layout.h"
#include "utf8_text.h"
#include "verify.h"
#include "zip_archive.h"

namespace fs = std::filesystem;

namespace {

PackOutcome badInput(const std::string& message) { return {packBadInput, "Error: " + message}; }
PackOutcome failed(const std::string& message) { return {packFailed, "Error: " + message}; }

bool exists(const std::string& path) {
  std::error_code code;
  return fs::exists(fs::symlink_status(pathOf(path), code));
}

std::string zipName(const PackOptions& options) {
  return options.name + "-" + options.appVersion + "-" + targetName(options.target) + ".zip";
}

/// The files the app folder receives: found and read, and with --zip
/// named in UTF-8.
PackOutcome checkInputs(const PackOptions& options, PackInputs* inputs) {
  std::string error;
  if (!planApp(options, &inputs->plan, &error)) return badInput(error);
  for (const PlannedFile& file : inputs->plan.copy.files)
    if (options.zip && !isUtf8(file.target))
      return badInput("cannot use the " + std::string(isJarName(file.target) ? "jar " : "file ") +
                      shownUtf8(file.source) +
                      " with --zip: its name is not UTF-8, which zip archives need");
  for (const ExtraLauncher& launcher : options.extraLaunchers) {
    inputs->launchers.emplace_back();
    LauncherSpec& spec = inputs->launchers.back();
    if (!readLauncherSpec(launcher, &spec, &error)) return badInput(error);
    if (!spec.mainClass.empty() && !classPathHolds(inputs->plan, spec.mainClass, &error))
      return badInput("the main class " + spec.mainClass + " of the launcher " + spec.name +
                      " " + error);
  }
  return {};
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
PackOutcome checkLauncher(const PackOptions& options, PackInputs* inputs) {
  std::error_code code;
  if (!fs::is_regular_file(pathOf(inputs->launcher), code))
    return badInput("no launcher at " + inputs->launcher + " (pass --launcher FILE)");
  if (options.target != PackTarget::Windows) return {};
  ExeIdentity identity = identityOf(options, inputs->icon);
  std::string error, version, launcher;
  if (!versionResource(identity, &version, &error)) return badInput(error);
  if (!readFileUpTo(inputs->launcher, maximumImageBytes, &launcher, &error))
    return badInput("cannot use the launcher " + inputs->launcher + ": " + error);
  inputs->brandedLauncher = launcher;
  if (!brandExecutable(&inputs->brandedLauncher, identity, &error))
    return badInput("cannot use the launcher " + inputs->launcher + ": " + error);
  // Each extra launcher under its own name; a console program when asked.
  for (const LauncherSpec& spec : inputs->launchers) {
    identity.name = spec.name;
    inputs->brandedExtras.push_back(launcher);
    std::string& exe = inputs->brandedExtras.back();
    if (!brandExecutable(&exe, identity, &error) || (spec.console && !makeConsoleProgram(&exe, &error)))
      return badInput("cannot use the launcher " + inputs->launcher + " for " + spec.name + ": " +
                      error);
  }
  return {};
}

PackOutcome checkFiles(const PackOptions& options, const std::string& toolFolder,
                       PackInputs* inputs) {
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
  if (options.verifySeconds && (options.target != PackTarget::Linux || hostOs != TargetOs::Linux))
    return badInput("--verify runs the packaged app: it needs Linux and --target linux");
  return {};
}

PackOutcome checkOutput(const PackOptions& options, PackInputs* inputs) {
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

PackOutcome buildAndPlace(const PackOptions& options, const PackInputs& inputs,
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

std::string listed(const std::vector<std::string>& items) {
  std::string list;
  for (const std::string& item : items) list += (list.empty() ? "" : ", ") + item;
  return list.empty() ? "nothing" : list;
}

/// Runs the packaged app with the host's files hidden and reports what it
/// took from elsewhere.
PackOutcome verify(const PackOptions& options, const PackInputs& inputs, std::ostream& progress) {
  VerifyRequest request = verifyRequest(options, inputs.plan, inputs.finalFolder);
  request.launcher = executableFileName(options.name, options.target);
  progress << "Verifying " << inputs.finalFolder << ": running it for " << request.seconds
           << " s with " << listed(request.hiddenFolders)
           << (request.hiddenFiles.empty() ? "" : " and " + listed(request.hiddenFiles))
           << " hidden ..." << std::endl;
  VerifyRun run;
  std::string error;
  if (!runHidden(request, &run, &error)) return failed("cannot verify the app: " + error);
  if (!run.hidden)
    progress << "Warning: the host's files could not be hidden (" << run.whyNotHidden
             << "): only where classes and libraries came from is checked" << std::endl;
  bool leaks = false;
  for (const std::string& line : judgeRun(run, &leaks)) progress << "  " << line << std::endl;
  if (leaks)
    return failed("the packaged app " + inputs.finalFolder +
                  " is not self-contained: it took or missed what is listed above");
  progress << "Verified " << inputs.finalFolder << std::endl;
  return {};
}

PackOutcome checkAndBuild(const PackOptions& given, const std::string& toolFolder,
                          std::ostream& progress, StopCheck stop) {
  PackInputs inputs;
  PackOutcome outcome = checkInputs(given, &inputs);
  // The main class may come from the main jar's manifest.
  PackOptions options = given;
  options.mainClass = inputs.plan.mainClass;
  std::string error;
  if (outcome.status == packOk && !checkRuntimeInputs(options, &error))
    outcome = badInput(error);
  if (outcome.status == packOk) outcome = checkFiles(options, toolFolder, &inputs);
  if (outcome.status == packOk && !planInstallers(options, &inputs.installers, &error))
    outcome = badInput(error);
  if (outcome.status == packOk) outcome = checkOutput(options, &inputs);
  if (outcome.status == packOk) outcome = buildAndPlace(options, inputs, progress, stop);
  if (outcome.status != packOk || !options.verifySeconds) return outcome;
  return verify(options, inputs, progress);
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
