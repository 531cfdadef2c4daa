// Loading a document from a file: the bytes as stored, up to the first NUL.
#include "json.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "input_file.h"

namespace {

/// The bytes the stream delivers up to the first NUL byte, end of file or a
/// read error. Nothing after a NUL byte counts, so reading stops there: a
/// device that delivers NUL bytes without end (/dev/zero) ends too.
std::string readText(std::FILE* file) {
  std::string bytes(size_t{64} << 10, '\0');
  size_t used = 0;
  for (;;) {
    size_t got = std::fread(&bytes[used], 1, bytes.size() - used, file);
    if (got == 0) break;
    if (const void* nul = std::memchr(&bytes[used], '\0', got)) {
      used = static_cast<size_t>(static_cast<const char*>(nul) - bytes.data());
      break;
    }
    used += got;
    if (used == bytes.size()) bytes.resize(bytes.size() * 2);
  }
  bytes.resize(used);
  return bytes;
}

}  // namespace

JsonDocument loadJsonFile(const std::string& path) {
  std::string text;
  // Binary mode: line ends arrive exactly as stored.
  if (std::FILE* file = openInputFile(path.c_str())) {
    text = readText(file);
    std::fclose(file);
  }
  return parseJson(text.data(), text.size());
}
