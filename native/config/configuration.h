// Reading the launcher's configuration: one reader without side effects
// that returns the settings it would use and what it found wrong, used by
// the launcher, by vantrel-check and by vantrel-pack on what it wrote.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "class_path.h"
#include "diagnostics.h"
#include "macros.h"

/// Everything the reader depends on, given as values.
struct ConfigurationInputs {
  std::string configPath = "config.json";
  /// The command line's -J options: when there are any, "vmArgs" is not used.
  std::vector<std::string> commandLineVmArgs;
  /// The launcher's own folder for $APPDIR; empty when unknown.
  std::string appDirectory;
  /// Where relative paths are opened from: "" (the current directory) or a
  /// path ending in a separator.
  std::string workingDirectory;
  /// The per-user VM options file; empty when there is none.
  std::string userOptionsPath;
  /// The environment before "env" is applied, for ${NAME}.
  EnvironmentLookup environment;
};

/// The settings a configuration gives, and its diagnostics in the order
/// the launcher meets them.
struct Configuration {
  /// The root's keys in stored order (equal keys adjacent); empty when the
  /// root is no object.
  std::vector<std::string> keys;
  bool hasEnvironment = false;  ///< "env" is an object (possibly empty)
  /// The variables to set, in the document's member order.
  std::vector<std::pair<std::string, std::string>> environment;
  /// The effective VM options: "vmArgs" (only without -J options), the user
  /// file's lines, then the -J options.
  std::vector<std::string> vmArgs;
  std::string mainClass;  ///< as written; never expanded
  ClassPath classPath;
  bool startupCache = false;  ///< "startupCache"
  std::string splashImage;    ///< "splash"
  std::string appUserModelId;  ///< "appUserModelId"
  bool userOptionsRead = false;  ///< the user's VM options file exists and was read
  Diagnostics diagnostics;
};

/// Reads the configuration and the user's VM options file, key by key in
/// the order of the key table (config_keys.h). Sets nothing, prints nothing
/// and never ends the process.
Configuration readConfiguration(const ConfigurationInputs& inputs);
