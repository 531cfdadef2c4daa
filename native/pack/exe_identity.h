// The application's identity in a copy of Vantrel.exe: icon, version
// resource and manifest.
#pragma once

#include <string>
#include <vector>

#include "icon_image.h"

struct ExeIdentity {
  std::string name;         ///< ProductName, InternalName, OriginalFilename NAME.exe
  std::string description;  ///< FileDescription
  std::string vendor;       ///< CompanyName; left out when empty
  std::string copyright;    ///< LegalCopyright; left out when empty
  std::string version;      ///< as given, e.g. "1.2.3"
  unsigned short versionParts[4] = {};
  bool utf8CodePage = false;     ///< the manifest asks for UTF-8 as the ANSI code page
  std::vector<IconImage> icon;   ///< empty: the launcher's own icon stays
};

/// Replaces the icon, version and manifest resources of the executable image
/// `exe`, then reads the result back and checks it. False with the reason
/// in `error`.
bool brandExecutable(std::string* exe, const ExeIdentity& identity, std::string* error);

/// A version resource (VS_VERSIONINFO) for the identity. False with the
/// reason when its texts are too long for the format's 16-bit lengths.
bool versionResource(const ExeIdentity& identity, std::string* resource, std::string* error);

/// The launcher's manifest, made from the build's template, with the
/// identity's assembly name and description and, when asked, UTF-8 as the
/// active code page.
std::string manifestFor(const ExeIdentity& identity);
