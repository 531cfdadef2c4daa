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

/// A configured main class: "CLASS", or "MODULE/CLASS" for a class of a
/// named module, as the java command's -m takes it. Only a name with one
/// '/' whose class part holds a '.' names a module (a class of a named
/// module lies in a package): "app/Main" stays the slash form of app.Main.
struct MainClass {
  std::string module;     ///< empty for a class of the class path
  std::string className;  ///< dotted form, as configured
};

MainClass splitMainClass(const std::string& mainClass);

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
  /// "args": the arguments main gets before the command line's, macros replaced.
  std::vector<std::string> args;
  bool startupCache = false;  ///< "startupCache"
  std::string splashImage;    ///< "splash"
  std::string appUserModelId;  ///< "appUserModelId"
  /// "singleInstance": true or a method; the method, as written, in launchReceiver.
  bool singleInstance = false;
  std::string launchReceiver;
  int restartExitCode = 0;  ///< "restartExitCode"; 0 when none
  bool userOptionsRead = false;  ///< the user's VM options file exists and was read
  Diagnostics diagnostics;
};

/// The name of the configuration file a launcher reads when its command line
/// names none: "NAME.json" for a launcher named NAME (its file name without
/// ".exe"), when the folder `workingDirectory` ("" or ending in a separator)
/// holds a file of that name, so that each launcher of an app folder can
/// have a configuration of its own; otherwise "config.json".
std::string defaultConfigurationFile(const std::string& workingDirectory,
                                     const std::string& appName);

/// Reads the configuration and the user's VM options file, key by key in
/// the order of the key table (config_keys.h). Sets nothing, prints nothing
/// and never ends the process.
Configuration readConfiguration(const ConfigurationInputs& inputs);
