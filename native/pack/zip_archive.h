// Zip archives of a packaged application folder.
#pragma once

#include <string>

/// False when this build of vantrel-pack was made without a zip library.
bool zipSupported();

/// Writes the zip archive `zipPath` holding everything in `folder` under the
/// top folder `topName`, keeping the executable bits. False with the reason.
bool writeZip(const std::string& folder, const std::string& topName,
              const std::string& zipPath, std::string* error);
