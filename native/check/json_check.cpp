#include "check.h"

int checkJsonFiles(const std::vector<std::string>&) { return 2; }
int dumpJsonFile(const std::string&) { return 2; }
