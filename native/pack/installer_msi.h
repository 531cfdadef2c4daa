// The Windows installer: an MSI made with wixl from a generated .wxs.
#pragma once

#include <string>
#include <vector>

#include "pack_options.h"

/// What the .wxs is made of besides the options.
struct MsiLayout {
  std::vector<std::string> files;   ///< of the app folder, relative, '/'-separated, sorted
  std::string upgradeCode;          ///< upper case, no braces
  unsigned long long sizeKiB = 0;
};

/// The .wxs source of the MSI: a per-user or per-machine install of the
/// folder, Start-menu (and desktop) shortcuts, the "Apps & features" entry,
/// upgrades of older versions with a refusal of newer ones, and the file
/// associations and URL schemes.
std::string msiSource(const PackOptions& options, const MsiLayout& layout);

/// The MsiShortcutProperty table giving the shortcuts the AppUserModelID, as
/// msibuild imports it (wixl writes no such table).
std::string shortcutPropertyTable(const PackOptions& options);

/// Makes `msiPath` from the app folder `folder` with wixl (and msibuild),
/// its sources in `workFolder`. `tools` holds the paths of wixl and
/// msibuild.
bool buildMsi(const PackOptions& options, const std::string& folder,
              const std::vector<std::string>& tools, const std::string& workFolder,
              const std::string& msiPath, std::string* error);
