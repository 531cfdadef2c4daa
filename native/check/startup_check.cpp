#include "startup_check.h"

#include <algorithm>

#include "class_path.h"
#include "configuration.h"
#include "file_system.h"
#include "platform.h"
#include "startup_cache.h"

namespace {

std::string absoluteFolder(const std::string& directory) {
  std::string folder = isAbsolutePath(directory)
                           ? directory
                           : currentDirectory() + pathSeparator + directory;
  while (folder.size() > 1 && (folder.back() == '/' || folder.back() == pathSeparator))
    folder.pop_back();
  return folder;
}

/// The launcher's name in the app folder, which names the cache folder: the
/// first program there (by name) other than this checker, else the name the
/// build gives it.
std::string launcherName(const std::string& folder) {
  std::vector<std::string> names = listDirectory(folder);
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) {
    if (!statFile(folder + pathSeparator + name).executable ||
        name.compare(0, 13, "vantrel-check") == 0)
      continue;
    const size_t dot = name.size() >= 4 ? name.size() - 4 : 0;
    return name.compare(dot, 4, ".exe") == 0 || name.compare(dot, 4, ".EXE") == 0
               ? name.substr(0, dot)
               : name;
  }
#ifdef _WIN32
  return "Vantrel";
#else
  return "vantrel";
#endif
}

/// The class path as the launcher expands it, without its warnings.
std::vector<std::string> classPathOf(const JsonValue& root, const std::string& folder) {
  std::vector<std::string> entries;
  const uint64_t index = root.findKey("classPath");
  if (index == root.size() || root.memberValue(index).type() != JsonType::Array)
    return entries;
  const JsonValue array = root.memberValue(index);
  for (uint64_t i = 0; i < array.size(); ++i) {
    const JsonValue element = array.element(i);
    if (element.type() != JsonType::String || holdsNulByte(element.text())) continue;
    const std::string entry(element.text());
    if (!isArgumentFile(entry)) {
      entries.push_back(entry);
      continue;
    }
    const std::string path = isAbsolutePath(entry) ? entry : folder + pathSeparator + entry;
    for (const std::string& piece : readArgumentFile(path).entries) entries.push_back(piece);
  }
  return entries;
}

std::vector<std::string> vmArgsOf(const JsonValue& root) {
  std::vector<std::string> options;
  const uint64_t index = root.findKey("vmArgs");
  if (index == root.size() || root.memberValue(index).type() != JsonType::Array)
    return options;
  const JsonValue array = root.memberValue(index);
  for (uint64_t i = 0; i < array.size(); ++i)
    if (array.element(i).type() == JsonType::String && !holdsNulByte(array.element(i).text()))
      options.emplace_back(array.element(i).text());
  return options;
}

CheckLine cacheReport(const JsonValue& root, const std::string& directory) {
  const std::string folder = absoluteFolder(directory);
  StartupCacheRequest request;
  request.workingDirectory = folder;
  request.cacheDirectory = startupCacheDirectory(launcherName(folder));
  request.classPath = classPathOf(root, folder);
  request.vmArgs = vmArgsOf(root);
  const StartupCachePlan plan = inspectStartupCache(request);
  std::string text = "'startupCache' is true: ";
  if (plan.mechanism != CacheMechanism::None)
    text += std::string(describeMechanism(plan.mechanism)) + ", key " + plan.key + "; ";
  return {false, text + plan.message};
}

void checkCache(const JsonValue& root, const std::string& directory,
                std::vector<CheckLine>& lines) {
  const uint64_t index = root.findKey("startupCache");
  if (index == root.size()) return;
  const JsonType type = root.memberValue(index).type();
  if (type == JsonType::True)
    lines.push_back(cacheReport(root, directory));
  else if (type == JsonType::False)
    lines.push_back({false, "'startupCache' is false: no startup cache"});
  else
    lines.push_back({true, std::string("'startupCache' is ") + describeKind(type) +
                               ": expected true or false; the launcher ignores it"});
}

void checkSplash(const JsonValue& root, const std::string& directory,
                 std::vector<CheckLine>& lines) {
  const uint64_t index = root.findKey("splash");
  if (index == root.size()) return;
  const JsonValue value = root.memberValue(index);
  if (value.type() != JsonType::String) {
    lines.push_back({true, std::string("'splash' is ") + describeKind(value.type()) +
                               ": expected the file name of a PNG, GIF or JPEG image; the "
                               "launcher ignores it"});
    return;
  }
  const std::string image(value.text());
  const std::string path = isAbsolutePath(image) ? image : directory + image;
  const FileStamp stamp = statFile(path);
  if (!stamp.exists || stamp.directory)
    lines.push_back({true, "splash image \"" + showNulBytes(image) + "\" does not exist" +
                               (path == image ? "" : " (looked for \"" + path + "\")") +
                               "; the launcher shows none"});
}

}  // namespace

std::vector<CheckLine> checkStartupSettings(const JsonValue& root,
                                            const std::string& directory) {
  std::vector<CheckLine> lines;
  checkCache(root, directory, lines);
  checkSplash(root, directory, lines);
  return lines;
}
