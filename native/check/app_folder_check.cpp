#include "app_folder_check.h"

#include <filesystem>
#include <system_error>

#include "file_system.h"
#include "paths.h"
#include "platform.h"
#include "vm_option_modules.h"

namespace fs = std::filesystem;

namespace {

/// The most links of the runtime named one by one.
constexpr size_t namedLinks = 5;

/// `path` absolute and without "." and ".." parts, links resolved where
/// they exist.
std::string normalized(const std::string& path) {
  std::error_code code;
  fs::path result = fs::weakly_canonical(fs::absolute(fs::u8path(path), code), code);
  return code ? fs::u8path(path).lexically_normal().u8string() : result.u8string();
}

bool isInside(const std::string& path, const std::string& folder) {
  return path.compare(0, folder.size(), folder) == 0 &&
         (path.size() == folder.size() || isPathSeparator(path[folder.size()]));
}

/// Places every machine has, named by VM options without harm.
bool isEverywhere(const std::string& path) {
#ifdef _WIN32
  (void)path;
  return false;
#else
  for (const char* folder : {"/tmp", "/dev", "/proc"})
    if (isInside(path, folder)) return true;
  return false;
#endif
}

class Checker {
 public:
  Checker(const std::string& directory, const std::string& appFolder)
      : directory_(directory), folder_(normalized(appFolder.empty() ? "." : appFolder)) {}

  void classPath(const ClassPath& classPath) {
    for (const std::string& entry : classPath.entries)
      if (outside(resolvePath(directory_, entry)))
        warn("class path entry " + quotedText(entry) +
             " lies outside the app folder: a machine without it cannot run the app");
  }

  /// The absolute paths in VM options: after '=' (-D, --module-path=, ...)
  /// or ':' (-javaagent:, -agentpath:, -Xbootclasspath/a:), path lists split.
  void vmOptions(const std::vector<std::string>& options) {
    for (const std::string& option : options) {
      size_t start = option.find('=');
      const size_t colon = option.find(':');
      if (option.compare(0, 2, "-D") != 0 && colon != std::string::npos &&
          (start == std::string::npos || colon < start))
        start = colon;
      if (start == std::string::npos) continue;
      for (const std::string& path : pathList(option.substr(start + 1)))
        if (isAbsolutePath(path) && !isEverywhere(path) && outside(path)) {
          warn("VM option " + quotedText(option) + " names " + quotedText(path) +
               ", outside the app folder: a machine without it cannot run the app alike");
          break;
        }
    }
  }

  void splash(const std::string& image) {
    if (!image.empty() && outside(resolvePath(directory_, image)))
      warn("splash image " + quotedText(image) + " lies outside the app folder");
  }

  /// A runtime outside the folder, or copied with its links, which lead out
  /// of the folder or nowhere.
  void runtimeLinks(const std::string& runtimeHome) {
    const std::string runtime = normalized(runtimeHome);
    if (!isInside(runtime, folder_)) {
      std::error_code code;
      std::string shown = fs::absolute(fs::u8path(runtimeHome), code)
                              .lexically_normal()
                              .lexically_relative(fs::u8path(folder_))
                              .u8string();
      if (shown.empty()) shown = runtimeHome;
      warn("the Java runtime " + quotedText(shown) + " is " + quotedText(runtime) +
           ", outside the app folder: a machine without it cannot run the app");
      return;
    }
    std::vector<std::string> links;
    std::error_code code;
    for (fs::recursive_directory_iterator it(fs::u8path(runtimeHome), code), end;
         !code && it != end; it.increment(code)) {
      if (!it->is_symlink(code)) continue;
      std::error_code resolving;
      const fs::path target = fs::canonical(it->path(), resolving);
      if (resolving || !isInside(target.u8string(), folder_))
        links.push_back(it->path().lexically_relative(fs::u8path(folder_)).u8string());
    }
    if (links.empty()) return;
    std::string named;
    for (size_t i = 0; i < links.size() && i < namedLinks; ++i)
      named += (i ? ", " : "") + quotedText(links[i]);
    if (links.size() > namedLinks)
      named += " and " + std::to_string(links.size() - namedLinks) + " more";
    warn("the runtime has " + std::to_string(links.size()) +
         " links leading out of the app folder or to nothing: " + named +
         " (copy the runtime with its links resolved)");
  }

  void libraryPath(const std::vector<std::string>& options) {
    for (const std::string& option : options)
      if (option.compare(0, 20, "-Djava.library.path=") == 0) return;
#ifdef _WIN32
    const char* builtIn = "the folders of PATH and of Windows";
#else
    const char* builtIn =
        "/usr/java/packages/lib, /usr/lib64, /lib64, /lib and /usr/lib, "
        "and more in some builds, such as /usr/lib/x86_64-linux-gnu/jni";
#endif
    warn(std::string("no -Djava.library.path in 'vmArgs': the runtime then looks for native "
                     "libraries in its built-in folders outside the app folder (") +
         builtIn + "); set it to the app's folders, such as -Djava.library.path=$APPDIR/lib");
  }

  void modules(const std::vector<std::string>& options, const std::string& runtimeHome) {
    std::vector<std::string> modules;
    if (!runtimeModules(runtimeHome, &modules)) return;
    for (const std::string& warning : moduleOptionWarnings(options, modules)) warn(warning);
  }

  std::vector<CheckLine> lines;

 private:
  bool outside(const std::string& path) const { return !isInside(normalized(path), folder_); }

  static std::vector<std::string> pathList(const std::string& value) {
    std::vector<std::string> paths;
    size_t start = 0;
    while (start <= value.size()) {
      size_t end = value.find(pathListSeparator, start);
      if (end == std::string::npos) end = value.size();
      if (end > start) paths.push_back(value.substr(start, end - start));
      start = end + 1;
    }
    return paths;
  }

  void warn(const std::string& text) { lines.push_back({true, text}); }

  std::string directory_;
  std::string folder_;
};

}  // namespace

std::vector<CheckLine> checkSelfContained(const Configuration& configuration,
                                          const std::string& directory,
                                          const std::string& appFolder,
                                          const std::string& runtimeHome) {
  Checker checker(directory, appFolder);
  checker.classPath(configuration.classPath);
  checker.vmOptions(configuration.vmArgs);
  checker.splash(configuration.splashImage);
  // Only a runtime with its release file is a real one, as jlink makes it.
  if (statFile(joinPath(runtimeHome, "release")).exists) {
    checker.runtimeLinks(runtimeHome);
    checker.libraryPath(configuration.vmArgs);
    checker.modules(configuration.vmArgs, runtimeHome);
  }
  return checker.lines;
}
