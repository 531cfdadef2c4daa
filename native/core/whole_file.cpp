#include "whole_file.h"

#include <cerrno>

#include "input_file.h"

bool readFileUpTo(const std::string& path, unsigned long long limit, std::string* bytes,
                  std::string* error) {
  bytes->clear();
  bool opened = false;
  const int failure = readInputFile(path, bytes, &opened, limit);
  if (failure == EFBIG)
    *error = "it is larger than " + std::to_string(limit >> 20) + " MiB";
  else if (failure)
    *error = inputFileError(failure);
  return failure == 0;
}

bool readWholeFile(const std::string& path, std::string* bytes, std::string* error) {
  return readFileUpTo(path, ~0ULL, bytes, error);
}
