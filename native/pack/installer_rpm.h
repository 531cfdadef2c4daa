// The RPM package: the same tree as the deb, a generated spec and rpmbuild.
#pragma once

#include <string>
#include <vector>

#include "icon_image.h"
#include "pack_options.h"

/// The rpmbuild recipe (.spec) of the package whose tree is `tree`, requiring the
/// libraries `sonames` (the ones its ELF files need and do not bring);
/// `sharedFiles` are the tree's files under usr/share.
std::string rpmSpec(const PackOptions& options, const std::vector<std::string>& sonames,
                    const std::string& tree, const std::vector<std::string>& sharedFiles);

/// Makes `rpmPath` from the app folder `folder` in `workFolder`; `tools`
/// holds rpmbuild's path.
bool buildRpm(const PackOptions& options, const std::string& folder,
              const std::vector<IconImage>& icon, const std::vector<std::string>& tools,
              const std::string& workFolder, const std::string& rpmPath, std::string* error);
