// The files of a packaged application folder other than the runtime.
#pragma once

#include <string>
#include <vector>

#include "pack_options.h"

/// config.json: mainClass, classPath (lib/ and the jar names, in the order
/// given), vmArgs, and startupCache and splash when asked for.
std::string configurationText(const PackOptions& options, const std::vector<std::string>& jars,
                              const std::string& splashName);

/// Reads the config.json of the app folder `folder` back with the
/// launcher's own reader: false, with what is wrong in `error`, when the
/// reader finds anything to say about it or reads other values than
/// configurationText wrote.
bool readsBackAsWritten(const std::string& folder, const PackOptions& options,
                        const std::vector<std::string>& jars, const std::string& splashName,
                        std::string* error);

/// NAME.desktop for the folder installed as `installFolder`.
std::string desktopEntry(const PackOptions& options, const std::string& installFolder);
