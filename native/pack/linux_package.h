// The file tree of a Linux package (deb or rpm): the app folder under
// /opt/PACKAGE, /usr/bin/PACKAGE linking to its launcher, a desktop entry,
// hicolor icons and the document types; and the maintainer scripts that
// tell the desktop about them.
#pragma once

#include <string>
#include <vector>

#include "icon_image.h"
#include "pack_options.h"

/// Makes the package tree under `root` (an empty folder) from the app folder
/// `folder`. False with the reason.
bool makePackageTree(const PackOptions& options, const std::string& folder,
                     const std::vector<IconImage>& icon, const std::string& root,
                     std::string* error);

/// A shell script run after installing or removing the package: refreshes
/// the desktop's databases of applications, document types and icons.
std::string refreshScript();

/// The package's one-line summary: the description, or the name with a few words.
std::string packageSummary(const PackOptions& options);
