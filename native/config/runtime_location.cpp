#include "runtime_location.h"

#include "file_system.h"

namespace {

/// `name` inside `directory`; a root such as "/" or "C:\" keeps its one separator.
std::string inside(const std::string& directory, const char* name) {
  if (directory.empty()) return name;
  const char last = directory.back();
  if (last == '/' || last == '\\') return directory + name;
  return directory + pathSeparator + name;
}

}  // namespace

std::string runtimeLocation(const std::string& appDirectory,
                            const std::string& workingDirectory) {
  if (!appDirectory.empty()) {
    std::string own = inside(appDirectory, "jre");
    if (isDirectory(own)) return own;
  }
  return inside(workingDirectory, "jre");
}
