#include "input_file.h"

// Windows keeps no FIFOs in the file system: named pipes have a namespace of
// their own, and opening one that no process serves fails at once.
std::FILE* openInputFile(const char* path) { return std::fopen(path, "rb"); }
