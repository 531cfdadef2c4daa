// Reading a whole file into memory, for the files the tools and the
// launcher take whole: a runtime's release file, an image, a launcher to
// brand, a jar to list.
#pragma once

#include <string>

/// Reads the regular file `path` (UTF-8 on Windows) as stored, through
/// openInputFile: folders, devices and FIFOs are refused at once. False
/// with the system's reason in `error` ("No such file or directory", "Is a
/// directory", ...); `bytes` then holds what was read, if anything.
bool readWholeFile(const std::string& path, std::string* bytes, std::string* error);
