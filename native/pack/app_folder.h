// The files of a packaged application folder other than the runtime.
#pragma once

#include <string>
#include <vector>

#include "pack_options.h"

/// What a configuration file of the app folder says.
struct AppConfiguration {
  std::string mainClass;
  std::vector<std::string> classPath;  ///< inside the app folder, with '/'
  std::vector<std::string> vmArgs;
  std::vector<std::string> args;       ///< default arguments; "args" only when there are some
  bool startupCache = false;
  std::string splash;                  ///< the image's file name; empty: none
  std::string appUserModelId;          ///< Windows; empty: none
  bool singleInstance = false;
  std::string launchReceiver;          ///< with singleInstance; empty: none
  int restartExitCode = 0;             ///< 0: none
};

/// The text of a configuration file (config.json or NAME.json).
std::string configurationText(const AppConfiguration& configuration);

/// Reads the configuration file `fileName` of the app folder `folder` back
/// with the launcher's own reader: false, with what is wrong in `error`,
/// when the reader finds anything to say about it or reads other values
/// than configurationText wrote.
bool readsBackAsWritten(const std::string& folder, const std::string& fileName,
                        const AppConfiguration& configuration, std::string* error);

/// NAME.desktop for the folder installed as `installFolder`.
std::string desktopEntry(const PackOptions& options, const std::string& installFolder);
