// The installer options of vantrel-pack: reading and checking the texts
// given for them, and the names the installers derive from the others.
#pragma once

#include <string>

#include "pack_options.h"

/// Reads "EXT:DESCRIPTION[:MIME-TYPE]" (a leading dot of EXT is dropped,
/// EXT is lower-cased); false when a part is empty or malformed.
bool parseFileAssociation(const std::string& text, FileAssociation* association);

/// VENDOR.NAME with everything but letters, digits, '-' and '_' left out of
/// each part (NAME alone without a vendor), at most 128 bytes.
std::string defaultAppUserModelId(const std::string& vendor, const std::string& name);

/// The Debian and RPM package name of NAME: lower case, runs of other
/// characters than a-z, 0-9, '+' and '.' as one '-' (none at the end); empty
/// when it would not start with a letter or digit or be shorter than two.
std::string packageName(const std::string& name);

/// Checks the installer options against each other and the target; an empty
/// text when they can be used, else the message. Normalises the URL schemes
/// (lower case) and the upgrade code (upper case, no braces).
std::string checkInstallerOptions(PackOptions& options, bool scopeGiven);

/// True when `kind` ("msi", "deb", "rpm") is asked for.
bool wantsInstaller(const PackOptions& options, const std::string& kind);
