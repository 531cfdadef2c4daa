#include "startup_cache.h"

#include "paths.h"
#include "platform.h"

std::string startupCacheDirectory(const std::string& appName) {
  const std::string base = userLocalDataDirectory();
  if (base.empty() || appName.empty()) return std::string();
  return joinPath(joinPath(base, appName), "cache");
}
