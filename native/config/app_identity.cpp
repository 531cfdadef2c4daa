#include "app_identity.h"

namespace {

bool endsWithExe(const std::string& name) {
  if (name.size() < 4) return false;
  std::string suffix = name.substr(name.size() - 4);
  for (char& c : suffix) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return suffix == ".exe";
}

}  // namespace

AppIdentity appIdentityOf(const std::string& launcherPath) {
  AppIdentity identity;
  size_t separator = launcherPath.rfind('/');
  if (separator == std::string::npos) separator = launcherPath.rfind('\\');
  if (separator == std::string::npos) {
    identity.name = launcherPath;
  } else {
    identity.directory = launcherPath.substr(0, separator);
    // The root folder keeps its separator: "/" and "C:\" are folders, "" and "C:" are not.
    if (identity.directory.empty() || identity.directory.back() == ':')
      identity.directory += launcherPath[separator];
    identity.name = launcherPath.substr(separator + 1);
  }
  if (endsWithExe(identity.name)) identity.name.resize(identity.name.size() - 4);
  return identity;
}
