// vantrel-pack: an application folder made from jars in one step.
#pragma once

#include <ostream>
#include <string>

#include "pack_options.h"

/// The exit status and the message of a run; an empty message for success.
struct PackOutcome {
  int status = 0;
  std::string message;
};

/// Exit statuses of vantrel-pack.
enum : int { packOk = 0, packFailed = 1, packBadInput = 2, packInterrupted = 130 };

/// Asked between the steps: true stops the packer.
using StopCheck = bool (*)();

/// Makes OUTPUT/NAME (and the zip archive) as `options` say, in a temporary
/// folder beside it that is renamed into place at the end or removed on
/// failure. `toolFolder` holds the default launchers. Progress lines go to
/// `progress`. When `stop` says so between two steps, what was made is
/// removed and the outcome is packInterrupted.
PackOutcome runPack(const PackOptions& options, const std::string& toolFolder,
                    std::ostream& progress, StopCheck stop = nullptr);

