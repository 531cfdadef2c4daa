#include "file_system.h"

bool isDirectory(const std::string& path) { return statFile(path).directory; }
