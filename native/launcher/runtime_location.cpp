#include "runtime_location.h"

#include "platform.h"

namespace {

#ifdef _WIN32
const char directorySeparator = '\\';
#else
const char directorySeparator = '/';
#endif

/// `name` inside `directory`; a root such as "/" or "C:\" keeps its one separator.
std::string inside(const std::string& directory, const char* name) {
  if (directory.empty()) return name;
  const char last = directory.back();
  if (last == '/' || last == '\\') return directory + name;
  return directory + directorySeparator + name;
}

}  // namespace

std::string runtimeLocation(const std::string& appDirectory) {
  if (!appDirectory.empty()) {
    std::string own = inside(appDirectory, "jre");
    if (isDirectory(own)) return own;
  }
  return inside(currentDirectory(), "jre");
}
