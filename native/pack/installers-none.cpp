// The installer step in a build of vantrel-pack without it (Windows: the
// tools that make installers and sign are Linux programs).
#include "installers.h"

bool planInstallers(const PackOptions& options, InstallerPlan*, std::string* error) {
  if (options.installers.empty() && options.signPkcs12.empty()) return true;
  *error = "this build of vantrel-pack makes no installers and signs nothing: "
           "use the Linux build (--installer, --sign-pkcs12)";
  return false;
}

bool signAppPrograms(const InstallerPlan&, const std::string&, const std::string&,
                     std::ostream&, std::string*) {
  return true;
}

bool buildInstallers(const InstallerPlan&, const PackOptions&, const std::string&,
                     const std::vector<IconImage>&, const std::string&, std::ostream&,
                     bool (*)(), std::string*) {
  return true;
}
