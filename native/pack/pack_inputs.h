// What the checks of vantrel-pack found: the inputs its building steps use.
#pragma once

#include <string>
#include <vector>

#include "app_inputs.h"
#include "extra_launchers.h"
#include "icon_image.h"
#include "installers.h"

struct PackInputs {
  AppPlan plan;
  std::vector<LauncherSpec> launchers;  ///< the extra launchers
  std::string launcher;
  std::string brandedLauncher;          ///< Windows: the launcher with the app's identity
  std::vector<std::string> brandedExtras;  ///< Windows: each extra launcher's
  std::vector<IconImage> icon;
  std::string desktopIcon;              ///< Linux: the icon as a PNG file
  std::string finalFolder;
  std::string zipPath;
  InstallerPlan installers;
};
