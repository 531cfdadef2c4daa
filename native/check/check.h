// vantrel-check: diagnostics for JSON files and launcher configurations.
#pragma once

#include <string>
#include <vector>

/// Parses each file and prints "FILE: ok" or "FILE:LINE:COLUMN: error: MESSAGE".
/// Returns 0 when every file parsed, 1 otherwise.
int checkJsonFiles(const std::vector<std::string>& paths);

/// Prints the parsed document as JSON (members in stored order). Returns 0 on
/// success, 1 when the file does not parse.
int dumpJsonFile(const std::string& path);

/// Reports every problem the launcher would hit or silently ignore with the
/// configuration `path`. Returns 0 when the launcher would run, 1 otherwise.
int checkConfigurationFile(const std::string& path);
