// Verifying runs hide the host's files with Linux mount namespaces.
#include "verify.h"

bool runHidden(const VerifyRequest&, VerifyRun*, std::string* error) {
  *error = "--verify runs on Linux only";
  return false;
}
