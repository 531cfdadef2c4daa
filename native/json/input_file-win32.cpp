#include "input_file.h"

// Windows has no FIFOs in the file system: a named pipe lives under \\.\pipe\
// and opening one that nobody serves fails at once.
std::FILE* openInputFile(const char* path) { return std::fopen(path, "rb"); }
