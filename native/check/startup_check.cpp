#include "startup_check.h"

#include <algorithm>

#include "file_system.h"
#include "paths.h"
#include "runtime_layout.h"
#include "startup_cache.h"

namespace {

std::string absoluteFolder(const std::string& directory) {
  std::string folder =
      isAbsolutePath(directory) ? directory : joinPath(currentDirectory(), directory);
  while (folder.size() > 1 && isPathSeparator(folder.back())) folder.pop_back();
  return folder;
}

/// "startupCache" is there and false (the reader reports other kinds).
bool setToFalse(const Configuration& configuration) {
  const std::vector<std::string>& keys = configuration.keys;
  if (std::find(keys.begin(), keys.end(), "startupCache") == keys.end()) return false;
  for (const Diagnostic& diagnostic : configuration.diagnostics)
    if (diagnostic.detail.rfind("'startupCache' ", 0) == 0) return false;
  return true;
}

/// The cache a launch would use, and a per-user folder that is not safe.
void reportCache(const Configuration& configuration, const std::string& directory,
                 const std::string& appDirectory, const std::string& appName,
                 std::vector<CheckLine>& lines) {
  StartupCacheRequest request;
  request.appDirectory = appDirectory;
  request.workingDirectory = absoluteFolder(directory);
  request.runtimeHome = runtimeLocation(appDirectory, request.workingDirectory);
  request.cacheDirectory = startupCacheDirectory(appName);
  request.mainClass = configuration.mainClass;
  request.classPath = configuration.classPath.entries;
  request.vmArgs = configuration.vmArgs;
  const StartupCachePlan plan = inspectStartupCache(request);
  std::string text = "'startupCache' is true: ";
  if (plan.route != CacheRoute::None)
    text += std::string(describeRoute(plan.route)) + ", key " + plan.key + "; ";
  if (!plan.warning.empty()) lines.push_back({true, plan.warning});
  lines.push_back({false, text + plan.message});
}

/// A splash image that is not there; other faults of the key are the reader's.
void checkSplash(const Configuration& configuration, const std::string& directory,
                 std::vector<CheckLine>& lines) {
  const std::string& image = configuration.splashImage;
  if (image.empty()) return;
  const std::string path = resolvePath(directory, image);
  const FileStamp stamp = statFile(path);
  if (!stamp.exists || stamp.directory)
    lines.push_back({true, "splash image \"" + image + "\" does not exist" +
                               (path == image ? "" : " (looked for \"" + path + "\")") +
                               "; the launcher shows none"});
}

}  // namespace

std::vector<CheckLine> checkStartupSettings(const Configuration& configuration,
                                            const std::string& directory,
                                            const std::string& appDirectory,
                                            const std::string& appName) {
  std::vector<CheckLine> lines;
  if (configuration.startupCache)
    reportCache(configuration, directory, appDirectory, appName, lines);
  else if (setToFalse(configuration))
    lines.push_back({false, "'startupCache' is false: no startup cache"});
  checkSplash(configuration, directory, lines);
  return lines;
}
