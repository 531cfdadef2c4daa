// The names of the entries of a jar, read from its central directory.
#pragma once

#include <string>
#include <vector>

/// Reads the entry names of the zip archive `path`. On failure returns false
/// and says why in `error`.
bool listJarEntries(const std::string& path, std::vector<std::string>* names,
                    std::string* error);
