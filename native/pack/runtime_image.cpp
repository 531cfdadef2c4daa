// Copying or linking the runtime of a packaged application.
#include "runtime_image.h"

#include <cstdlib>
#include <system_error>

#include "class_archives.h"
#include "executable_name.h"
#include "file_util.h"
#include "platform.h"
#include "process.h"
#include "runtime_layout.h"

namespace {

std::string toolOf(const std::string& jdk, const std::string& tool) {
  return textOf(pathOf(jdk) / "bin" / executableFileName(tool, hostOs));
}

std::string joined(const std::vector<std::string>& items) {
  std::string list;
  for (const std::string& item : items) list += (list.empty() ? "" : ",") + item;
  return list;
}

std::string lastLine(const std::string& text) {
  size_t end = text.find_last_not_of("\r\n");
  if (end == std::string::npos) return "";
  size_t start = text.find_last_of('\n', end);
  return text.substr(start == std::string::npos ? 0 : start + 1, end + 1 -
                     (start == std::string::npos ? 0 : start + 1));
}

bool runTool(const std::vector<std::string>& command, std::string* output, std::string* error) {
  ProgramRun run = runProgram(command);
  std::string name = textOf(pathOf(command[0]).stem());
  if (!run.started) {
    *error = "cannot run " + command[0] + ": " + run.error;
    return false;
  }
  if (run.status != 0) {
    *error = name + " failed (exit status " + std::to_string(run.status) + "):\n" + run.output;
    while (!error->empty() && error->back() == '\n') error->pop_back();
    return false;
  }
  *output = run.output;
  return true;
}

/// The modules the jars need, as jdeps lists them.
bool findModules(const std::string& jdk, const std::vector<std::string>& jars,
                 std::ostream& progress, std::string* modules, std::string* error) {
  progress << "Finding the modules the jars use (jdeps) ..." << std::endl;
  std::vector<std::string> command = {toolOf(jdk, "jdeps"), "--print-module-deps",
                                      "--ignore-missing-deps", "--multi-release", "base"};
  command.insert(command.end(), jars.begin(), jars.end());
  std::string output;
  if (!runTool(command, &output, error)) return false;
  *modules = lastLine(output);
  if (modules->empty() || modules->find(' ') != std::string::npos) *modules = "java.base";
  return true;
}

/// The objcopy of the search path, with which jlink strips native libraries;
/// empty when there is none.
std::string findObjcopy() {
  const char* path = std::getenv("PATH");
  const std::string folders = path ? path : "";
  for (size_t start = 0; start <= folders.size();) {
    size_t end = folders.find(pathListSeparator, start);
    if (end == std::string::npos) end = folders.size();
    std::error_code code;
    const std::filesystem::path candidate = pathOf(folders.substr(start, end - start)) / "objcopy";
    if (end > start && std::filesystem::is_regular_file(candidate, code)) return textOf(candidate);
    start = end + 1;
  }
  return "";
}

/// jlink's options that leave out what the app does not need: the classes'
/// debug attributes; the native libraries' debug symbols where jlink can
/// strip them (JDK 13 and later, on Linux for Linux, with binutils'
/// objcopy: --strip-debug does both there, but fails without objcopy); the
/// modules zipped when asked.
std::vector<std::string> leanOptions(const PackOptions& options, int version,
                                     std::ostream& progress) {
  std::vector<std::string> lean = {version >= 13 ? "--strip-java-debug-attributes"
                                                 : "--strip-debug"};
  if (version >= 13 && hostOs == TargetOs::Linux &&
      options.target == PackTarget::Linux) {
    const std::string objcopy = findObjcopy();
    if (objcopy.empty())
      progress << "No objcopy on the search path: native libraries keep their debug symbols"
               << std::endl;
    else
      lean.insert(lean.end(), {"--strip-native-debug-symbols", "objcopy=" + objcopy});
  }
  if (options.compression == PackCompression::Zip)
    lean.push_back(version >= 21 ? "--compress=zip-6" : "--compress=2");
  return lean;
}

bool linkRuntime(const PackOptions& options, const std::string& modules,
                 const std::string& destination, std::ostream& progress, std::string* error) {
  bool native = options.target == hostOs;
  int version = runtimeFeatureVersion(options.jdk);
  progress << "Linking a runtime with jlink (" << modules << ") ..." << std::endl;
  std::vector<std::string> command = {toolOf(options.jdk, "jlink"), "--add-modules", modules,
                                      "--no-header-files", "--no-man-pages"};
  std::vector<std::string> lean = leanOptions(options, version, progress);
  command.insert(command.end(), lean.begin(), lean.end());
  // jlink makes class data archives from JDK 17 on.
  if (native && version >= 17) command.push_back("--generate-cds-archive");
  if (!options.jmods.empty()) command.insert(command.end(), {"--module-path", options.jmods});
  command.insert(command.end(), {"--output", destination});
  std::string output;
  return runTool(command, &output, error);
}

bool checkRuntime(const PackOptions& options, const std::string& runtime, std::string* error) {
  std::error_code code;
  const char* library = runtimeLibraryIn(options.target);
  if (std::filesystem::is_regular_file(pathOf(runtime) / library, code)) return true;
  *error = "the runtime " + runtime + " has no " + library + ": it is not a " +
           targetName(options.target) + " runtime";
  return false;
}

bool checkJdk(const PackOptions& options, std::string* error) {
  std::error_code code;
  if (!std::filesystem::is_regular_file(pathOf(toolOf(options.jdk, "jlink")), code)) {
    *error = "no JDK at " + options.jdk + ": " + toolOf(options.jdk, "jlink") + " is missing";
    return false;
  }
  if (options.target != hostOs && options.jmods.empty()) {
    *error = std::string("a ") + targetName(options.target) + " runtime needs --jmods DIR: "
             "the jmods folder of a " + targetName(options.target) +
             " JDK of the same version as " + options.jdk;
    return false;
  }
  return true;
}

}  // namespace

bool makeRuntime(const PackOptions& options, const std::vector<std::string>& jars,
                 const std::string& destination, std::ostream& progress, std::string* error) {
  const std::string serverFolder =
      textOf((pathOf(destination) / runtimeLibraryIn(options.target)).parent_path());
  if (!options.runtime.empty()) {
    progress << "Copying the runtime " << options.runtime << " ..." << std::endl;
    return copyFolder(options.runtime, destination, error) &&
           leaveOutUnusedClassArchives(serverFolder, options.vmOptions, error);
  }
  std::string modules = joined(options.addModules);
  if (modules.empty() && !findModules(options.jdk, jars, progress, &modules, error)) return false;
  return linkRuntime(options, modules, destination, progress, error) &&
         checkRuntime(options, destination, error) &&
         leaveOutUnusedClassArchives(serverFolder, options.vmOptions, error);
}

bool checkRuntimeInputs(const PackOptions& options, std::string* error) {
  return options.runtime.empty() ? checkJdk(options, error)
                                 : checkRuntime(options, options.runtime, error);
}
