// What to hide for a verifying run, and what its logs say.
#include "verify.h"

#include <algorithm>
#include <cstdlib>
#include <set>
#include <system_error>

#include "file_util.h"
#include "tree_walk.h"

namespace fs = std::filesystem;

namespace {

/// Where Java software lives on Linux systems, apart from the app's inputs.
const char* const javaFolders[] = {
    "/usr/share/java", "/usr/share/maven-repo", "/usr/share/openjfx",
    "/usr/lib/jni",    "/usr/lib64/jni",        "/usr/lib/x86_64-linux-gnu/jni",
    "/usr/lib/jvm",    "/usr/lib64/jvm",        "/usr/java",
};

/// Folders the system itself needs: none of them, nor a folder holding
/// one, is hidden.
const char* const systemFolders[] = {
    "/lib/x86_64-linux-gnu",
    "/usr/lib/x86_64-linux-gnu",
    "/lib64",
    "/usr/lib64",
    "/etc",
    "/tmp",
    "/dev",
    "/proc",
    "/sys",
    "/run",
    "/bin",
    "/usr/bin",
    "/usr/share/fonts",
    "/usr/share/X11",
    "/usr/share/fontconfig",
    "/usr/lib/locale",
    "/var",
};

bool isInside(const std::string& path, const std::string& folder) {
  if (folder == "/") return true;
  return path.compare(0, folder.size(), folder) == 0 &&
         (path.size() == folder.size() || path[folder.size()] == '/');
}

class Hiding {
 public:
  // The app folder itself may lie in a hidden folder: the run binds it
  // elsewhere first.
  Hiding() {
    const char* home = std::getenv("HOME");
    protect_ = {std::begin(systemFolders), std::end(systemFolders)};
    if (home && *home) protect_.push_back(resolvedPath(pathOf(home)));
  }

  /// A folder to hide, or, when it must stay, `file` in it.
  void add(const std::string& folder, const std::string& file = std::string()) {
    std::error_code code;
    if (folder.empty() || !fs::is_directory(pathOf(folder), code)) return;
    for (const std::string& kept : protect_)
      if (isInside(kept, folder) || folder == "/usr/lib" || folder == "/lib" ||
          folder == "/usr/share") {
        if (!file.empty()) files_.insert(file);
        return;
      }
    folders_.insert(folder);
  }

  void addPath(const fs::path& path) {
    std::error_code code;
    const std::string resolved = resolvedPath(path);
    if (resolved.empty()) return;
    if (fs::is_directory(pathOf(resolved), code))
      add(resolved);
    else
      add(textOf(pathOf(resolved).parent_path()), resolved);
  }

  /// The folders, none inside another, and the files outside them.
  void fill(VerifyRequest* request) const {
    for (const std::string& folder : folders_) {
      bool covered = false;
      for (const std::string& other : folders_)
        covered = covered || (other != folder && isInside(folder, other));
      if (!covered) request->hiddenFolders.push_back(folder);
    }
    for (const std::string& file : files_) {
      bool covered = false;
      for (const std::string& folder : request->hiddenFolders)
        covered = covered || isInside(file, folder);
      if (!covered) request->hiddenFiles.push_back(file);
    }
  }

 private:
  std::vector<std::string> protect_;
  std::set<std::string> folders_, files_;
};

/// The path of a class's source in the class loading log ("file:/x/y.jar"),
/// percent escapes decoded; empty for the runtime's own sources.
std::string sourcePath(const std::string& source) {
  std::string path;
  size_t at = source.compare(0, 9, "jar:file:") == 0 ? 9
              : source.compare(0, 5, "file:") == 0   ? 5
                                                     : 0;
  if (at == 0) return path;
  for (size_t i = at; i < source.size() && source[i] != '!'; ++i) {
    if (source[i] == '%' && i + 2 < source.size()) {
      path += static_cast<char>(std::strtol(source.substr(i + 1, 2).c_str(), nullptr, 16));
      i += 2;
    } else {
      path += source[i];
    }
  }
  return path;
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

/// The lines of the app's output that say a class, module or library is missing.
std::vector<std::string> missingParts(const std::string& output) {
  const char* const markers[] = {"NoClassDefFoundError", "ClassNotFoundException",
                                 "UnsatisfiedLinkError", "FindException",
                                 "in java.library.path", "Could not find or load main class"};
  std::vector<std::string> found;
  for (const std::string& line : linesOf(output))
    for (const char* marker : markers)
      if (line.find(marker) != std::string::npos &&
          std::find(found.begin(), found.end(), line) == found.end()) {
        found.push_back(line);
        break;
      }
  return found;
}

bool isSystemLibrary(const std::string& path) {
  for (const char* folder : {"/lib", "/lib64", "/usr/lib", "/usr/lib64"})
    if (isInside(path, folder)) return true;
  return false;
}

}  // namespace

VerifyRequest verifyRequest(const PackOptions& options, const AppPlan& plan,
                            const std::string& appFolder) {
  VerifyRequest request;
  request.appFolder = appFolder;
  request.seconds = options.verifySeconds;
  Hiding hiding;
  for (const char* folder : javaFolders) hiding.add(folder);
  for (const std::string& input : options.inputs) hiding.addPath(pathOf(input));
  for (const std::string& resources : options.resources)
    hiding.addPath(pathOf(resources.substr(0, resources.find('='))));
  for (const std::string& runtime : {options.jdk, options.runtime})
    if (!runtime.empty()) hiding.addPath(pathOf(runtime));
  for (const PlannedFile& file : plan.copy.files) hiding.addPath(pathOf(file.source));
  hiding.fill(&request);
  return request;
}

std::vector<std::string> judgeRun(const VerifyRun& run, bool* leaks) {
  std::vector<std::string> report, outside;
  size_t runtimeClasses = 0, appClasses = 0;
  for (const std::string& line : linesOf(run.classLog)) {
    size_t source = line.find(" source: ");
    if (line.find("[class,load]") == std::string::npos || source == std::string::npos) continue;
    const std::string path = sourcePath(line.substr(source + 9));
    if (path.empty())
      ++runtimeClasses;
    else if (isInside(path, run.appPath))
      ++appClasses;
    else if (std::find(outside.begin(), outside.end(), path) == outside.end())
      outside.push_back(path);
  }
  std::vector<std::string> libraries;
  size_t appLibraries = 0;
  for (const std::string& library : run.libraries) {
    if (isInside(library, run.appPath))
      ++appLibraries;
    else if (!isSystemLibrary(library))
      libraries.push_back(library);
  }
  const std::vector<std::string> missing = missingParts(run.output);
  report.push_back(
      std::to_string(runtimeClasses) + " classes from the runtime, " + std::to_string(appClasses) +
      " from the app folder, " + std::to_string(outside.size()) + " jars or folders elsewhere; " +
      std::to_string(appLibraries) + " native libraries from the app folder and its runtime");
  for (const std::string& path : outside)
    report.push_back("classes from outside the app folder: " + path);
  for (const std::string& library : libraries)
    report.push_back("a native library from outside the app folder: " + library);
  for (const std::string& line : missing) report.push_back("missing: " + line);
  const bool failed = run.exitStatus > 0;
  if (run.exitStatus >= 0)
    report.push_back("the app ended by itself with status " + std::to_string(run.exitStatus) +
                     (failed ? "; it said last:" : ""));
  // Its last lines but the stack frames.
  std::vector<std::string> said;
  for (const std::string& line : linesOf(run.output))
    if (line.compare(0, 4, "\tat ") != 0 && line.compare(0, 4, "\t...") != 0 &&
        line.compare(0, 27, "Picked up JAVA_TOOL_OPTIONS") != 0)
      said.push_back(line);
  for (size_t i = said.size() > 6 ? said.size() - 6 : 0; failed && i < said.size(); ++i)
    report.push_back("| " + said[i]);
  *leaks = !outside.empty() || !libraries.empty() || !missing.empty() || failed;
  return report;
}
