// The plan of a launch: the command line's settings completed by the
// configuration, with the environment to set and the runtime to load.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "configuration.h"
#include "launch_settings.h"

class LaunchQueue;

struct LaunchPlan {
  /// The command line's settings with the configuration's VM options (the
  /// -J options among them), main class, class path and start-up keys.
  LaunchSettings settings;
  bool setsEnvironment = false;  ///< "env" is an object (possibly empty)
  /// The variables to set, in the document's member order.
  std::vector<std::pair<std::string, std::string>> environment;
  std::string runtimeHome;  ///< the Java runtime folder to load
  /// The later launches handed to this instance, for the app; null when it
  /// is no single instance or the app names no method for them.
  LaunchQueue* launches = nullptr;
};

/// Joins `settings` and `configuration`; the runtime folder is found from
/// the launcher's folder and the current directory (runtimeLocation).
LaunchPlan planLaunch(LaunchSettings settings, Configuration configuration);

/// The first step of carrying out a plan: sets the variables of its "env"
/// in this process, in order; with -v, announces each first. A name the
/// platform refuses is passed over.
void applyEnvironment(const LaunchPlan& plan);
