#include "file_system.h"

#include "input_file.h"

bool isDirectory(const std::string& path) { return statFile(path).directory; }

bool readWholeFile(const std::string& path, std::string& bytes) {
  bytes.clear();
  bool opened = false;
  return readInputFile(path, &bytes, &opened) == 0;
}
