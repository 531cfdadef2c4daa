// Windows arguments from the wide command line, as UTF-8.
#include "arguments.h"

#include "wide_text-win32.h"

std::vector<std::string> commandLineArguments(int argc, char** argv) {
  std::vector<std::string> arguments = utf8CommandLine();
  if (arguments.empty()) return std::vector<std::string>(argv + 1, argv + argc);
  arguments.erase(arguments.begin());  // the program
  return arguments;
}
