#include "startup_cache.h"

#include "platform.h"
#include "startup_platform.h"

std::string startupCacheDirectory(const std::string& appName) {
  const std::string base = userLocalDataDirectory();
  if (base.empty() || appName.empty()) return std::string();
  return base + '/' + appName;
}

const char* const runtimeLibraryInHome = "lib/server/libjvm.so";
const char* const runtimeModulesInHome = "lib/modules";
const char* const javaProgramInHome = "bin/java";
