// vantrel-check --config: the diagnostics of the configuration reader the
// launcher uses, printed compiler-style, and the checks only a checker
// makes: keys the launcher does not read, files that do not exist, the Java
// runtime library.
#include "check.h"

#include <cctype>
#include <filesystem>
#include <iostream>
#include <string_view>

#include "app_folder_check.h"
#include "app_identity.h"
#include "config_keys.h"
#include "configuration.h"
#include "executable_name.h"
#include "file_system.h"
#include "paths.h"
#include "platform.h"
#include "runtime_layout.h"
#include "startup_check.h"
#include "user_options.h"
#include "vm_option_names.h"

namespace {

/// The diagnostics of one configuration and their counts.
struct Report {
  std::string file;       ///< the configuration path as given
  std::string directory;  ///< where the launcher runs: "" or a path ending in a separator
  int errors = 0;
  int warnings = 0;
};

void print(Report& report, const std::string& file, uint64_t line, uint64_t column,
           bool isError, const std::string& message) {
  std::cout << (file.empty() ? report.file : file);
  if (line) std::cout << ':' << line;
  if (line && column) std::cout << ':' << column;
  std::cout << (isError ? ": error: " : ": warning: ") << message << std::endl;
  ++(isError ? report.errors : report.warnings);
}

void note(const Report& report, const std::string& message) {
  std::cout << report.file << ": note: " << message << std::endl;
}

void error(Report& report, const std::string& message) {
  print(report, std::string(), 0, 0, true, message);
}

void warning(Report& report, const std::string& message) {
  print(report, std::string(), 0, 0, false, message);
}

void printDiagnostic(Report& report, const Diagnostic& diagnostic) {
  const bool isError = diagnostic.kind == Diagnostic::Kind::error ||
                       (diagnostic.kind == Diagnostic::Kind::quiet && diagnostic.quietError);
  print(report, diagnostic.file, diagnostic.line, diagnostic.column, isError,
        diagnostic.detail.empty() ? diagnostic.message : diagnostic.detail);
}

std::string keyName(std::string_view key) { return '\'' + showNulBytes(key) + '\''; }

std::string count(int n, const char* noun) {
  return std::to_string(n) + ' ' + noun + (n == 1 ? "" : "s");
}

int summarize(const Report& report) {
  if (report.errors == 0 && report.warnings == 0)
    std::cout << report.file << ": ok" << std::endl;
  else
    std::cout << report.file << ": " << count(report.errors, "error") << ", "
              << count(report.warnings, "warning") << std::endl;
  return report.errors ? 1 : 0;
}

// ---- paths, relative to the directory the launcher runs in -------------

bool exists(const std::string& path) { return statFile(path).exists; }

/// " (looked for "PATH")" when the path differs from what the user wrote.
std::string lookedFor(const Report& report, const std::string& path) {
  const std::string resolved = resolvePath(report.directory, path);
  return resolved == path ? std::string() : " (looked for " + quotedText(resolved) + ")";
}

// ---- the checker's own checks ---------------------------------------------

bool sameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

/// Reports a key that the launcher does not read; false for such a key.
bool checkKnownKey(Report& report, std::string_view key) {
  for (const ConfigKey& known : configKeys()) {
    if (key == known.name) return true;
    if (sameIgnoringCase(key, known.name)) {
      warning(report, "unknown key " + keyName(key) + " is ignored; did you mean " +
                          keyName(known.name) + "? (keys are case-sensitive)");
      return false;
    }
  }
  warning(report, "unknown key " + keyName(key) + " is ignored (the launcher reads " +
                      listOfConfigKeys(false) + ")");
  return false;
}

/// Unknown keys, and keys the launcher reads that are given more than once
/// (equal keys are adjacent in the document's order).
void checkKeys(Report& report, const std::vector<std::string>& keys) {
  for (size_t i = 0; i < keys.size();) {
    size_t next = i + 1;
    while (next < keys.size() && keys[next] == keys[i]) ++next;
    if (checkKnownKey(report, keys[i]) && next - i > 1)
      warning(report, "key " + keyName(keys[i]) + " appears " + std::to_string(next - i) +
                          " times; the launcher uses only one of them, and which one is "
                          "not defined");
    i = next;
  }
}

/// Entries that are missing, or that the Java VM cannot use as they are.
void checkEntries(Report& report, const ClassPath& classPath) {
  const std::string separator(1, pathListSeparator);
  for (size_t i = 0; i < classPath.entries.size(); ++i) {
    const std::string& entry = classPath.entries[i];
    const std::string& origin = classPath.origins[i];
    const std::string name = "class path entry " + quotedText(entry) +
                             (origin.empty() ? "" : " (from " + quotedText(origin) + ")");
    const FileStamp stamp = statFile(resolvePath(report.directory, entry));
    if (!stamp.exists)
      warning(report, name + " does not exist" + lookedFor(report, entry));
    else if (!stamp.directory && !stamp.regular)
      error(report, name + " is neither a file nor a folder (a FIFO, socket or device): the "
                           "Java VM would wait on it or fail to read it");
    else if (entry.find(pathListSeparator) != std::string::npos)
      error(report, name + " holds '" + separator +
                        "', which separates class path entries: the Java VM would take it "
                        "for two; rename the file");
    else if (entry.find("${") != std::string::npos)
      warning(report, name + " holds \"${\", which the launcher reads as a macro where a "
                             "configuration names the file; rename the file");
  }
}

void checkRuntimeLibrary(Report& report) {
  const std::string path = inRuntime(runtimeFolderName, runtimeLibraryIn(hostOs));
  if (!exists(resolvePath(report.directory, path)))
    error(report, "Java runtime library " + quotedText(path) + lookedFor(report, path) +
                      " not found: expected the bundled Java runtime in \"jre\" next to "
                      "the configuration");
}

/// The VM options the runtime does not recognise, which the VM ignores
/// where the java command would refuse them. With `verbose`, a note when
/// the runtime library cannot tell.
void checkVmOptions(Report& report, const std::vector<std::string>& vmArgs, bool verbose) {
  const std::string library = inRuntime(runtimeFolderName, runtimeLibraryIn(hostOs));
  const std::string path = resolvePath(report.directory, library);
  if (vmArgs.empty() || !exists(path)) return;
  const VmOptionNames names = readVmOptionNames(path);
  if (!names.known() && verbose)
    note(report, "the VM options are not checked against Java runtime library " +
                     quotedText(library) + ": " + names.problem);
  for (const std::string& option : unrecognisedVmOptions(names, vmArgs))
    error(report, "VM option " + quotedText(option) +
                      " is not one the Java runtime recognises: the Java VM ignores it");
}

// ---- what the launcher would use -------------------------------------------

void printList(const char* title, const std::vector<std::string>& items) {
  std::cout << title << (items.empty() ? " none" : "") << std::endl;
  for (const std::string& item : items) std::cout << "  " << showNulBytes(item) << std::endl;
}

void printEffective(const ConfigurationInputs& inputs, const Configuration& configuration) {
  std::cout << "VM options file: "
            << (inputs.userOptionsPath.empty() ? "unknown" : inputs.userOptionsPath)
            << (configuration.userOptionsRead ? "" : " (not present)") << std::endl;
  printList("VM options:", configuration.vmArgs);
  printList("Class path:", configuration.classPath.entries);
  printList("Arguments before the command line's:", configuration.args);
  std::vector<std::string> variables;
  for (const auto& [name, value] : configuration.environment)
    variables.push_back(name + '=' + value);
  printList("Environment changes:", variables);
  std::cout << "One instance per user: "
            << (!configuration.singleInstance ? "no"
                : configuration.launchReceiver.empty()
                    ? "yes; a later launch brings the app's window forward (Windows)"
                    : "yes; later launches go to " + configuration.launchReceiver)
            << std::endl;
  std::cout << "Restart on exit status: "
            << (configuration.restartExitCode ? std::to_string(configuration.restartExitCode)
                                              : "none")
            << std::endl;
  std::cout << "AppUserModelID (Windows): "
            << (configuration.appUserModelId.empty() ? "none" : configuration.appUserModelId)
            << std::endl;
}

/// The launcher's own folder (into `inputs`) and name (returned): from
/// --launcher, else the default launcher in the working directory.
std::string takeLauncher(const CheckOptions& options, const std::string& directory,
                         ConfigurationInputs& inputs) {
  std::string launcher = options.launcher.empty()
                             ? directory + defaultLauncherFileName(hostOs)
                             : options.launcher;
  std::error_code failure;
  const std::string absolute = std::filesystem::absolute(launcher, failure).string();
  if (!failure) launcher = absolute;
  const AppIdentity identity = appIdentityOf(launcher);
  inputs.appDirectory = identity.directory;
  inputs.userOptionsPath = userOptionsPath(userConfigDirectory(), identity.name);
  return identity.name;
}

}  // namespace

int checkConfiguration(const CheckOptions& options) {
  Report report{options.configPath, std::string(), 0, 0};
  ConfigurationInputs inputs;
  if (options.workingDirectory.empty()) {
    // The configuration usually lies in the launcher's folder, where it runs.
    const size_t folder = folderLength(options.configPath);
    report.directory = options.configPath.substr(0, folder);
    inputs.configPath = options.configPath.substr(folder);
  } else {
    report.directory = asFolder(options.workingDirectory);
    inputs.configPath = options.configPath;
  }
  inputs.workingDirectory = report.directory;
  inputs.environment = environmentValue;
  const std::string appName = takeLauncher(options, report.directory, inputs);
  if (!options.configGiven) {
    inputs.configPath = defaultConfigurationFile(report.directory, appName);
    report.file = options.workingDirectory.empty() ? report.directory + inputs.configPath
                                                   : inputs.configPath;
  }
  const Configuration configuration = readConfiguration(inputs);
  checkKeys(report, configuration.keys);
  for (const Diagnostic& diagnostic : configuration.diagnostics)
    printDiagnostic(report, diagnostic);
  checkEntries(report, configuration.classPath);
  checkRuntimeLibrary(report);
  checkVmOptions(report, configuration.vmArgs, options.verbose);
  for (const CheckLine& line :
       checkStartupSettings(configuration, report.directory, inputs.appDirectory, appName))
    line.warning ? warning(report, line.text) : note(report, line.text);
  const std::string runtime = runtimeLocation(inputs.appDirectory, report.directory);
  for (const CheckLine& line :
       checkSelfContained(configuration, report.directory, inputs.appDirectory, runtime))
    warning(report, line.text);
  if (options.verbose) printEffective(inputs, configuration);
  return summarize(report);
}

int checkConfigurationFile(const std::string& path) {
  CheckOptions options;
  options.configPath = path;
  return checkConfiguration(options);
}
