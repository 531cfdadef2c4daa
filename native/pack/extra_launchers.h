// The extra launchers of an app folder (--add-launcher NAME=FILE): each a
// copy of the launcher under its own name, with its own configuration
// NAME.json beside config.json.
#pragma once

#include <string>
#include <vector>

#include "pack_options.h"

/// What FILE says of one extra launcher.
struct LauncherSpec {
  std::string name;
  std::string mainClass;               ///< empty: the app's
  std::vector<std::string> arguments;  ///< default arguments, before the user's
  std::vector<std::string> vmOptions;  ///< after the app's own
  bool console = false;                ///< Windows: a console program
};

/// Reads FILE of --add-launcher: a JSON object with "mainClass", "args",
/// "vmArgs" and "console" (a file ending in .json), else a properties file
/// with main-class, arguments, vm-options (both split at spaces, double
/// quotes keeping spaces) and console (true or false). False with the
/// reason for a file that cannot be read or holds another key.
bool readLauncherSpec(const ExtraLauncher& launcher, LauncherSpec* spec, std::string* error);

/// `text` split at spaces and tabs; double quotes keep what they enclose
/// together (without the quotes).
std::vector<std::string> splitArguments(const std::string& text);
