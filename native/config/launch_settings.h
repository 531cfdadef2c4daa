// The launcher's process-wide settings, filled by the command line and the
// configuration file and read by the launch sequence.
#pragma once

#include <string>
#include <vector>

/// All strings are byte strings; only javaArgs is guaranteed to be UTF-8.
struct LaunchSettings {
  std::string workingDirectory;          ///< entered before the configuration is read
  std::string programName;               ///< shown in the usage lines
  /// The launcher's own folder, absolute, without a trailing separator (from
  /// the executable itself, never from argv[0]); empty when unknown.
  std::string appDirectory;
  /// The launcher's file name without ".exe": names the per-user folders.
  std::string appName;
  std::string configPath = "config.json";
  bool verbose = false;
  std::vector<std::string> javaArgs;     ///< arguments of the Java main method
  std::vector<std::string> vmArgs;       ///< VM options after the class path option
  std::vector<std::string> classPath;
  std::string mainClass;                 ///< dotted form, as configured
  bool startupCache = false;             ///< "startupCache": record and use a class archive
  std::string splashImage;               ///< "splash": image shown before the VM starts
};

/// The one instance, constructed before the entry runs.
extern LaunchSettings launchSettings;
