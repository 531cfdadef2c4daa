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

/// What vantrel-check --config is asked to judge.
struct CheckOptions {
  std::string configPath = "config.json";
  /// False: the file the launcher would choose (its own NAME.json when the
  /// working directory holds one, else config.json) instead of configPath.
  bool configGiven = true;
  /// The launcher's working directory (its --cwd), where it opens the
  /// configuration and every relative path; empty: the configuration's folder.
  std::string workingDirectory;
  /// The launcher's executable, which names the user's VM options file and
  /// gives $APPDIR; empty: the default launcher in the working directory.
  std::string launcher;
  bool verbose = false;  ///< also print the VM options, class path and environment
};

/// Reports every problem the launcher would hit or silently ignore with the
/// configuration and the files it names, compiler-style, and with `verbose`
/// what the launcher would use. Returns 0 when the launcher would run, 1
/// otherwise.
int checkConfiguration(const CheckOptions& options);

/// Reports every problem the launcher would hit or silently ignore with the
/// configuration `path`. Returns 0 when the launcher would run, 1 otherwise.
int checkConfigurationFile(const std::string& path);
