// The VM options of a packaged app: what the main jar's manifest asks of the
// `java` command, the native library path, and the user's --vm-options,
// checked against the modules of the runtime.
#pragma once

#include <string>
#include <vector>

#include "app_inputs.h"
#include "pack_options.h"

/// What is known of the app folder's runtime.
struct RuntimeFacts {
  int version = 0;                   ///< its feature version; 0 when unknown
  std::vector<std::string> modules;  ///< from its release file; empty when unknown
  std::string java;                  ///< its java program when it runs here, else empty
};

/// The modules the app names for the runtime: those of its --vm-options and
/// --add-modules, and those the main jar's Add-Opens and Add-Exports name.
std::vector<std::string> modulesNamedByApp(const PackOptions& options, const AppPlan& plan);

/// The VM options for the app's configuration, in order: --add-opens and
/// --add-exports of the main jar's manifest (=ALL-UNNAMED; only for modules
/// and packages the runtime has, as the `java` command does),
/// --enable-native-access=ALL-UNNAMED (Java 22 and later), then
/// -Djava.library.path naming the app's native library folders (unless a
/// --vm-option sets it, since the runtime's own default names the host's
/// library folders), then the --vm-options. Adds a warning for each
/// manifest request left out and each --vm-option naming a module the
/// runtime lacks.
std::vector<std::string> appVmOptions(const PackOptions& options, const AppPlan& plan,
                                      const RuntimeFacts& runtime,
                                      std::vector<std::string>* warnings);
