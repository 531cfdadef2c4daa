// The process environment and the user's folders on POSIX.
#include <stdlib.h>

#include "platform.h"

namespace {

/// The XDG base folder `variable`, else `fallback` below the home folder.
/// Relative values are invalid by the XDG rules and are ignored.
std::string userFolder(const char* variable, const char* fallback) {
  std::string directory;
  if (environmentValue(variable, &directory) && !directory.empty() && directory[0] == '/')
    return directory;
  if (!environmentValue("HOME", &directory) || directory.empty() || directory[0] != '/')
    return std::string();
  if (directory.back() == '/') directory.pop_back();
  return directory + fallback;
}

}  // namespace

bool environmentValue(const std::string& name, std::string* value) {
  const char* text = getenv(name.c_str());
  if (!text) return false;
  *value = text;
  return true;
}

std::string userConfigDirectory() { return userFolder("XDG_CONFIG_HOME", "/.config"); }

std::string userLocalDataDirectory() { return userFolder("XDG_CACHE_HOME", "/.cache"); }
