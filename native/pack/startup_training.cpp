#include "startup_training.h"

#include <filesystem>

#include "cache_files.h"
#include "cache_options.h"
#include "child_process.h"
#include "class_archives.h"
#include "executable_name.h"
#include "file_system.h"
#include "file_util.h"
#include "runtime_layout.h"
#include "startup_cache.h"

namespace fs = std::filesystem;

namespace {

/// The user's folders of the run, and no VM options from the environment:
/// the users of the app have neither.
std::vector<std::string> trainingEnvironment(const PackOptions& options,
                                             const std::string& scratch) {
  const std::string cache = textOf(pathOf(scratch) / "cache");
  const std::string config = textOf(pathOf(scratch) / "config");
  std::vector<std::string> changes = {
      std::string(trainingRunVariable) + "=" + std::to_string(options.trainingSeconds),
      "JAVA_TOOL_OPTIONS", "_JAVA_OPTIONS", "JDK_JAVA_OPTIONS"};
  if (hostOs == PackTarget::Windows) {
    changes.push_back("LOCALAPPDATA=" + cache);
    changes.push_back("APPDATA=" + config);
  } else {
    changes.push_back("XDG_CACHE_HOME=" + cache);
    changes.push_back("XDG_CONFIG_HOME=" + config);
  }
  return changes;
}

/// The archive the run left in the folder's cache folder, or empty.
std::string shippedArchive(const std::string& folder) {
  std::error_code code;
  for (const auto& entry : fs::directory_iterator(pathOf(shippedCacheDirectory(folder)), code)) {
    const std::string name = textOf(entry.path().filename());
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".jsa") == 0)
      return textOf(entry.path());
  }
  return std::string();
}

/// The launcher's reason from its -v output, else the build's failure.
std::string whyNone(const std::string& output) {
  const std::string marker = "No startup cache: ";
  const size_t at = output.find(marker);
  if (at == std::string::npos) return "the runtime could not build the archive";
  const size_t end = output.find_first_of("\r\n", at);
  return output.substr(at + marker.size(),
                       end == std::string::npos ? end : end - at - marker.size());
}

std::string sizeText(uintmax_t bytes) {
  return std::to_string((bytes * 10 + (1 << 19)) / (1 << 20) / 10) + "." +
         std::to_string((bytes * 10 + (1 << 19)) / (1 << 20) % 10) + " MiB";
}

/// Gives every file of the folder the modification time of its launcher,
/// rounded down to an even second: zip archives keep times to two seconds,
/// and the VM refuses an archive whose jars or runtime changed their times.
void settleTimes(const std::string& folder, const std::string& launcher) {
  const int64_t seconds = modifiedSeconds(statFile(launcher)) / 2 * 2;
  std::error_code code;
  for (fs::recursive_directory_iterator it(pathOf(folder), code), end; !code && it != end;
       it.increment(code))
    if (it->is_regular_file(code)) setModifiedSeconds(textOf(it->path()), seconds);
}

/// The folder of the runtime library of the app folder `folder`.
std::string serverFolderOf(const std::string& folder, PackTarget target) {
  return textOf((pathOf(folder) / runtimeFolderName / runtimeLibraryIn(target)).parent_path());
}

}  // namespace

bool recordStartupCache(const PackOptions& options, const std::string& folder,
                        const std::string& scratch, std::ostream& progress, std::string* error) {
  progress << "Recording the startup cache: running " << options.name << " once"
           << (options.trainingSeconds ? " for " + std::to_string(options.trainingSeconds) + " s"
                                       : std::string())
           << " ..." << std::endl;
  std::error_code code;
  fs::create_directories(pathOf(scratch), code);
  const std::string launcher =
      textOf(pathOf(folder) / executableFileName(options.name, options.target));
  settleTimes(folder, launcher);
  // -v: should no cache come of it, the launcher says why.
  std::vector<std::string> command = {launcher, "-c", "-v", "--"};
  command.insert(command.end(), options.trainingArgs.begin(), options.trainingArgs.end());
  ChildOptions run;
  run.environment = trainingEnvironment(options, scratch);
  run.captureOutput = true;
  const ChildRun result = runChild(command, run);
  const std::string archive = shippedArchive(folder);
  if (!result.started)
    *error = "cannot run " + launcher + ": " + result.error;
  else if (result.status != 0)
    *error = "the training run of " + options.name + " ended with exit status " +
             std::to_string(result.status) + ":\n" + result.output;
  else if (archive.empty())
    progress << "Warning: no startup cache was recorded: " << whyNone(result.output)
             << "; the launcher records one at the user's where it can" << std::endl;
  else
    progress << "Recorded the startup cache "
             << textOf(pathOf(archive).lexically_relative(pathOf(folder))) << " ("
             << sizeText(fs::file_size(pathOf(archive), code)) << ")" << std::endl;
  // The VM maps the app's archive instead of the runtime's class archives,
  // never beside them: they would serve only launches that use no archive.
  if (error->empty() && !archive.empty())
    leaveOutRuntimeClassArchives(serverFolderOf(folder, options.target), error);
  return error->empty();
}
