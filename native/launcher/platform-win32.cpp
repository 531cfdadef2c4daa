#include "platform.h"

#include <windows.h>

const char* const vmRuntimeLibraryPath = "jre\\bin\\server\\jvm.dll";

bool setEnvironmentVariable(const std::string& name, const std::string& value) {
  return SetEnvironmentVariableA(name.c_str(), value.c_str()) != 0;
}
