#include "vm_encoding.h"

#include <cstdlib>

int javaMajorVersion(const std::string& releaseText) {
  const std::string key = "JAVA_VERSION=\"";
  // The key starts a line: found after a line end put in front of the text.
  const size_t at = ("\n" + releaseText).find("\n" + key);
  if (at == std::string::npos) return 0;
  const char* version = releaseText.c_str() + at + key.size();
  int major = std::atoi(version);
  // Java 8 and earlier are numbered 1.x.
  if (major == 1 && version[1] == '.') major = std::atoi(version + 2);
  return major;
}
