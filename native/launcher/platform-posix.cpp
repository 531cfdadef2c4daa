#include "platform.h"

#include <stdlib.h>
#include <unistd.h>

const char* const vmRuntimeLibraryPath = "jre/lib/server/libjvm.so";

bool changeWorkingDirectory(const std::string& directory) {
  return chdir(directory.c_str()) == 0;
}

bool setEnvironmentVariable(const std::string& name, const std::string& value) {
  return setenv(name.c_str(), value.c_str(), 1) == 0;
}
