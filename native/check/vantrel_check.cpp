// Entry of vantrel-check: picks the mode from the command line.
#include <cstring>
#include <iostream>

#include "check.h"

namespace {

int usage() {
  std::cerr << "usage: vantrel-check FILE...\n"
               "       vantrel-check --dump FILE\n"
               "       vantrel-check --config [FILE] [--cwd=DIR] [--launcher=PATH] [-v]\n";
  return 2;
}

/// The value of "--NAME=VALUE" or "--NAME VALUE" at argv[*i], or null when
/// argv[*i] is not that option.
const char* optionValue(const char* name, int argc, char** argv, int* i) {
  const size_t length = std::strlen(name);
  if (std::strncmp(argv[*i], name, length) != 0) return nullptr;
  if (argv[*i][length] == '=') return argv[*i] + length + 1;
  if (argv[*i][length] != '\0' || *i + 1 >= argc) return nullptr;
  return argv[++*i];
}

/// vantrel-check --config [FILE] [--cwd DIR] [--launcher PATH] [-v], in any order.
int checkConfigurationMode(int argc, char** argv) {
  CheckOptions options;
  options.configGiven = false;
  bool haveFile = false;
  for (int i = 2; i < argc; ++i) {
    if (const char* value = optionValue("--cwd", argc, argv, &i))
      options.workingDirectory = value;
    else if (const char* value = optionValue("--launcher", argc, argv, &i))
      options.launcher = value;
    else if (std::strcmp(argv[i], "-v") == 0 || std::strcmp(argv[i], "--verbose") == 0)
      options.verbose = true;
    else if (argv[i][0] == '-' || haveFile)
      return usage();
    else {
      options.configPath = argv[i];
      options.configGiven = haveFile = true;
    }
  }
  return checkConfiguration(options);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return usage();
  if (std::strcmp(argv[1], "--dump") == 0)
    return argc == 3 ? dumpJsonFile(argv[2]) : usage();
  if (std::strcmp(argv[1], "--config") == 0) return checkConfigurationMode(argc, argv);
  if (std::strcmp(argv[1], "--help") == 0) {
    usage();
    return 0;
  }
  if (argv[1][0] == '-' && std::strcmp(argv[1], "--") != 0) return usage();
  int first = std::strcmp(argv[1], "--") == 0 ? 2 : 1;
  if (first >= argc) return usage();
  return checkJsonFiles(std::vector<std::string>(argv + first, argv + argc));
}
