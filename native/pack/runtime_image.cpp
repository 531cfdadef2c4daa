// Copying or linking the runtime of a packaged application.
#include "runtime_image.h"

#include <cstdlib>
#include <system_error>

#include "class_archives.h"
#include "file_util.h"
#include "folder_copy.h"
#include "jdk_tools.h"
#include "platform.h"
#include "tree_walk.h"
#include "runtime_layout.h"

namespace {

/// Collects a runtime's files as the copy will hold them.
class RuntimeFiles : public TreeVisitor {
 public:
  CopyList list;
  std::vector<std::string> leftOut;

  void folder(const std::filesystem::path&, const std::string& target) override {
    list.folders.push_back(target);
  }
  bool file(const std::filesystem::path& source, const std::string& target,
            std::string*) override {
    std::error_code code;
    list.files.push_back({textOf(source), target});
    list.bytes += std::filesystem::file_size(source, code);
    return true;
  }
  void warn(const std::string& message) override { leftOut.push_back(message); }
};

/// Copies the runtime `from` as `to` with its links resolved (tree_walk.h):
/// a JDK installed by a Linux distribution links files into /etc and
/// elsewhere, and has links to what is not installed.
bool copyRuntime(const std::string& from, const std::string& to, std::ostream& progress,
                 std::string* error) {
  RuntimeFiles files;
  if (!walkTree(pathOf(from), ".", "", files, error) ||
      !copyFiles(files.list, to, "the runtime " + from, progress, nullptr, error))
    return false;
  for (const std::string& message : files.leftOut) progress << "  " << message << std::endl;
  return true;
}

std::string joined(const std::vector<std::string>& items) {
  std::string list;
  for (const std::string& item : items) list += (list.empty() ? "" : ",") + item;
  return list;
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

bool makeRuntime(const PackOptions& options, const std::vector<std::string>& modules,
                 const std::string& destination, std::ostream& progress, std::string* error) {
  const std::string serverFolder =
      textOf((pathOf(destination) / runtimeLibraryIn(options.target)).parent_path());
  if (!options.runtime.empty()) {
    return copyRuntime(options.runtime, destination, progress, error) &&
           leaveOutUnusedClassArchives(serverFolder, options.vmOptions, error);
  }
  return linkRuntime(options, joined(modules), destination, progress, error) &&
         checkRuntime(options, destination, error) &&
         leaveOutUnusedClassArchives(serverFolder, options.vmOptions, error);
}

bool checkRuntimeInputs(const PackOptions& options, std::string* error) {
  return options.runtime.empty() ? checkJdk(options, error)
                                 : checkRuntime(options, options.runtime, error);
}
