#include "startup_cache.h"

#include "platform.h"
#include "startup_platform.h"

std::string startupCacheDirectory(const std::string& appName) {
  const std::string base = userLocalDataDirectory();
  if (base.empty() || appName.empty()) return std::string();
  return base + '\\' + appName + "\\cache";
}

const char* const runtimeLibraryInHome = "bin\\server\\jvm.dll";
const char* const runtimeModulesInHome = "lib\\modules";
const char* const javaProgramInHome = "bin\\java.exe";
