// POSIX arguments arrive as bytes; paths are passed on as they are.
#include "arguments.h"

std::vector<std::string> commandLineArguments(int argc, char** argv) {
  return std::vector<std::string>(argv + 1, argv + argc);
}
