// Builds without a zip library (the Windows build: Debian has no libzip for
// mingw-w64) cannot write zip archives.
#include "zip_archive.h"

bool zipSupported() { return false; }

bool writeZip(const std::string&, const std::string&, const std::string&, std::string* error) {
  *error = "this build of vantrel-pack cannot write zip archives";
  return false;
}
