#include "app_identity.h"

#include "executable_name.h"
#include "paths.h"

AppIdentity appIdentityOf(const std::string& launcherPath) {
  AppIdentity identity;
  const size_t separator = programPathSplit(launcherPath);
  if (separator == std::string::npos) {
    identity.name = withoutExe(launcherPath);
    return identity;
  }
  identity.directory = launcherPath.substr(0, separator);
  // The root folder keeps its separator: "/" and "C:\" are folders, "" and "C:" are not.
  if (identity.directory.empty() || identity.directory.back() == ':')
    identity.directory += launcherPath[separator];
  identity.name = withoutExe(launcherPath.substr(separator + 1));
  return identity;
}
