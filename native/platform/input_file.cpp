#include "input_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

std::string inputFileError(int error) {
  if (error == ENODEV) return "Is a device, not a file";
  if (error == ESPIPE) return "Is a FIFO or socket, not a file";
  return std::strerror(error);
}

int readInputFile(const std::string& path, std::string* bytes, bool* opened,
                  unsigned long long limit) {
  errno = 0;
  std::FILE* file = openInputFile(path.c_str());
  *opened = file != nullptr;
  if (!file) return errno ? errno : EIO;
  char buffer[65536];
  size_t n;
  while (bytes->size() <= limit && (n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
    bytes->append(buffer, n);
  const int failure = std::ferror(file) ? (errno ? errno : EIO) : 0;
  std::fclose(file);
  return failure ? failure : bytes->size() > limit ? EFBIG : 0;
}
