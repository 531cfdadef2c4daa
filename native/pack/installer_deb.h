// The Debian package: the package tree, its control files and dpkg-deb.
#pragma once

#include <string>
#include <vector>

#include "icon_image.h"
#include "pack_options.h"

/// DEBIAN/control of the package with the computed `depends`.
std::string debianControl(const PackOptions& options, const std::string& depends,
                          unsigned long long installedSizeKiB);

/// The lintian overrides of the package, each with its reason;
/// `unstripped` are the files, relative to the root, that keep symbols.
std::string lintianOverrides(const std::string& package,
                             const std::vector<std::string>& unstripped);

/// usr/share/doc/PACKAGE/copyright.
std::string debianCopyright(const PackOptions& options);

/// Makes `debPath` from the app folder `folder` in `workFolder`; `tools`
/// holds the paths of dpkg-deb and dpkg-shlibdeps.
bool buildDeb(const PackOptions& options, const std::string& folder,
              const std::vector<IconImage>& icon, const std::vector<std::string>& tools,
              const std::string& workFolder, const std::string& debPath, std::string* error);
