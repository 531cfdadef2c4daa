#include "vm_encoding.h"

// The runtime decodes options with the locale's character set, as the
// arguments of a POSIX program come.
std::string encodeVmOptions(const std::string&, const std::vector<std::string*>&) {
  return std::string();
}

void encodeVmOptionApproximately(const std::string&, std::string*) {}
