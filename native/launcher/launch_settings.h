// The settings of one launch: what the launcher's own file and the command
// line give, completed by the configuration when the launch is planned.
// A value, passed from step to step.
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
  /// The launcher's own file, absolute (from the executable); empty when unknown.
  std::string launcherPath;
  /// The configuration file: --config's; the initial "config.json" means
  /// the launcher's own choice when it is loaded (defaultConfigurationFile).
  std::string configPath = "config.json";
  bool configFromCommandLine = false;  ///< --config named the file
  bool interfaceMode = false;            ///< started with -c or --cli
  bool verbose = false;
  bool newInstance = false;              ///< -c --new-instance: never hand the launch over
  /// Arguments of the Java main method: the command line's, and once
  /// planned, the configuration's "args" before them.
  std::vector<std::string> javaArgs;
  /// The command line's -J options; once planned, the effective VM options.
  std::vector<std::string> vmArgs;
  std::vector<std::string> classPath;    ///< from the configuration
  std::string mainClass;                 ///< dotted form, as configured
  bool startupCache = false;             ///< "startupCache": record and use a class archive
  std::string splashImage;               ///< "splash": image shown before the VM starts
  std::string appUserModelId;            ///< "appUserModelId": the taskbar identity (Windows)
  bool singleInstance = false;           ///< "singleInstance": one instance per user and app
  std::string launchReceiver;            ///< the static method that takes later launches
  int restartExitCode = 0;               ///< "restartExitCode"; 0 when none
};
