// Reading a whole file into memory, for the files the tools and the
// launcher take whole: a runtime's release file, an image, a launcher to
// brand, an icon.
#pragma once

#include <string>

/// Reads the regular file `path` (UTF-8 on Windows) as stored, through
/// openInputFile: folders, devices and FIFOs are refused at once. False
/// with the reason in `error` ("No such file or directory", "Is a
/// directory", ...); `bytes` then holds what was read, if anything.
bool readWholeFile(const std::string& path, std::string* bytes, std::string* error);

/// readWholeFile for inputs of bounded size: reading stops, and the file is
/// refused ("it is larger than N MiB"), once it holds more than `limit` bytes.
bool readFileUpTo(const std::string& path, unsigned long long limit, std::string* bytes,
                  std::string* error);
