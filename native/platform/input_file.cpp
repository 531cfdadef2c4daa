#include "input_file.h"

#include <cerrno>
#include <cstring>

std::string inputFileError(int error) {
  if (error == ENODEV) return "Is a device, not a file";
  if (error == ESPIPE) return "Is a FIFO or socket, not a file";
  return std::strerror(error);
}
