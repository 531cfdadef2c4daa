// The process environment and the user's folders on POSIX.
#include <stdlib.h>

#include "platform.h"

bool environmentValue(const std::string& name, std::string* value) {
  const char* text = getenv(name.c_str());
  if (!text) return false;
  *value = text;
  return true;
}

std::string userConfigDirectory() {
  std::string directory;
  // The base directory specification ignores relative paths.
  if (environmentValue("XDG_CONFIG_HOME", &directory) && !directory.empty() &&
      directory[0] == '/')
    return directory;
  if (!environmentValue("HOME", &directory) || directory.empty()) return std::string();
  if (directory.back() == '/') directory.pop_back();
  return directory + "/.config";
}
