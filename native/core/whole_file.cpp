#include "whole_file.h"

#include "input_file.h"

bool readWholeFile(const std::string& path, std::string* bytes, std::string* error) {
  bytes->clear();
  bool opened = false;
  const int failure = readInputFile(path, bytes, &opened);
  if (failure) *error = inputFileError(failure);
  return failure == 0;
}
