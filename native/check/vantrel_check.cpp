// Entry of vantrel-check: picks the mode from the command line.
#include "check.h"

#include <cstring>
#include <iostream>

namespace {

int usage() {
  std::cerr << "usage: vantrel-check FILE...\n"
               "       vantrel-check --dump FILE\n"
               "       vantrel-check --config [FILE]\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return usage();
  if (std::strcmp(argv[1], "--dump") == 0)
    return argc == 3 ? dumpJsonFile(argv[2]) : usage();
  if (std::strcmp(argv[1], "--config") == 0) {
    if (argc > 3) return usage();
    return checkConfigurationFile(argc == 3 ? argv[2] : "config.json");
  }
  if (std::strcmp(argv[1], "--help") == 0) {
    usage();
    return 0;
  }
  if (argv[1][0] == '-' && std::strcmp(argv[1], "--") != 0) return usage();
  int first = std::strcmp(argv[1], "--") == 0 ? 2 : 1;
  if (first >= argc) return usage();
  return checkJsonFiles(std::vector<std::string>(argv + first, argv + argc));
}
