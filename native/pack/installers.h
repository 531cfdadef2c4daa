// The installer step of vantrel-pack: after the app folder is made, its
// programs signed and the MSI, deb and rpm asked for built from it.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "code_signing.h"
#include "icon_image.h"
#include "pack_options.h"

struct InstallerOutput {
  std::string kind;           ///< "msi", "deb" or "rpm"
  std::string path;           ///< where it ends up
  std::string temporaryPath;  ///< where it is built, beside it
};

/// What the checks found for the installer step.
struct InstallerPlan {
  std::vector<InstallerOutput> outputs;
  std::vector<std::string> msiTools, debTools, rpmTools;  ///< paths, in each builder's order
  bool sign = false;
  SigningKey key;
};

/// Checks before anything is made: the tools are installed, the installers
/// do not exist yet (or --force), the certificate opens with its password.
/// False with the message.
bool planInstallers(const PackOptions& options, InstallerPlan* plan, std::string* error);

/// Signs the programs of the app folder `folder` when asked to.
bool signAppPrograms(const InstallerPlan& plan, const std::string& folder,
                     const std::string& workFolder, std::ostream& progress, std::string* error);

/// Builds each installer of the plan at its temporary path from `folder`,
/// in `workFolder` (a folder of its own, removed by the caller). `stop` is
/// asked between installers.
bool buildInstallers(const InstallerPlan& plan, const PackOptions& options,
                     const std::string& folder, const std::vector<IconImage>& icon,
                     const std::string& workFolder, std::ostream& progress, bool (*stop)(),
                     std::string* error);
