// Fuzzes vantrel-pack's executable reader and writer. Each input is read as
// an executable's resources: a refusal must give a reason; resources that
// were read are written back unchanged and must read back the same, then
// the launcher's identity (icon, version, manifest) is given to the input,
// which may be refused but must never yield an executable that reads back
// wrong.
#include <cstdint>
#include <string>
#include <vector>

#include "exe_identity.h"
#include "fuzz_support.h"
#include "pe_resources.h"

namespace {

ExeIdentity identityFor(size_t size) {
  ExeIdentity identity;
  identity.name = "Fuzzed App";
  identity.description = "A <described> & fuzzed app";
  identity.version = "1.2.3";
  identity.versionParts[0] = 1;
  identity.utf8CodePage = size % 2 == 0;
  IconImage image;
  image.width = image.height = 16;
  image.data.assign(40 + 16 * 16 * 4 + 16 * 4, '\x20');
  identity.icon = {image};
  return identity;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string exe(reinterpret_cast<const char*>(data), size);
  std::vector<ResourceEntry> entries;
  std::string error;
  if (!readResources(exe, &entries, &error)) {
    check(!error.empty());
    return 0;
  }
  std::string copy = exe;
  if (writeResources(&copy, entries, &error)) check(checkWrittenResources(copy, entries, &error));
  error.clear();
  if (!brandExecutable(&exe, identityFor(size), &error))
    check(!error.empty() && error.find("not sound") == std::string::npos);
  return 0;
}
