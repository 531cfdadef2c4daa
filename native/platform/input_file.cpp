#include "input_file.h"

#include <cerrno>
#include <cstring>

std::string inputFileError(int error) {
  return error == ENODEV ? "Is a device, not a file" : std::strerror(error);
}
