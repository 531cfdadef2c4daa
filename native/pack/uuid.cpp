// Name-based UUIDs with libuuid.
#include "uuid.h"

#include <uuid/uuid.h>

namespace {

/// The namespace of the UUIDs vantrel-pack derives (itself a random UUID,
/// fixed once: changing it would change every derived UpgradeCode).
const char installerNamespace[] = "6f3c1d2e-8a47-4b0e-9c5d-2e7f4a1b9c83";

}  // namespace

std::string nameBasedUuid(const std::string& name) {
  uuid_t space, result;
  uuid_parse(installerNamespace, space);
  uuid_generate_sha1(result, space, name.data(), name.size());
  char text[37];
  uuid_unparse_upper(result, text);
  return text;
}
