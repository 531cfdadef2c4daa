// Loading a document from a file: the bytes as stored, up to the first NUL.
#include "json.h"

#include <cstdio>
#include <string>

namespace {

/// Every byte the stream delivers, until end of file or a read error.
std::string readAll(std::FILE* file) {
  std::string bytes(64 * 1024, '\0');
  size_t used = 0;
  for (;;) {
    size_t got = std::fread(&bytes[used], 1, bytes.size() - used, file);
    if (got == 0) break;
    used += got;
    if (used == bytes.size()) bytes.resize(bytes.size() * 2);
  }
  bytes.resize(used);
  return bytes;
}

}  // namespace

JsonDocument loadJsonFile(std::string path) {
  std::string text;
  // Binary mode: line ends arrive exactly as stored.
  if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
    text = readAll(file);
    std::fclose(file);
  }
  size_t nul = text.find('\0');
  if (nul != std::string::npos) text.resize(nul);
  return parseJson(text.data(), text.size());
}
