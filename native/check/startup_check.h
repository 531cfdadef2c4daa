// vantrel-check --config on the start-up keys "startupCache" and "splash".
#pragma once

#include <string>
#include <vector>

#include "json.h"

/// One line of the report: a warning (counted) or a note (information).
struct CheckLine {
  bool warning = false;
  std::string text;
};

/// What the checker says about "startupCache" (its value and, when true, the
/// mechanism and file a launch would use) and "splash" in an object root.
/// `directory` is the folder the launcher runs in: "" or ending in a separator.
std::vector<CheckLine> checkStartupSettings(const JsonValue& root,
                                            const std::string& directory);
