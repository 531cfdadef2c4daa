// The per-user VM options file: options a user adds to an installed app's
// own, one per line, in a folder of the user's (the app folder is often
// read-only and config.json belongs to the app).
#pragma once

#include <string>
#include <vector>

#include "diagnostics.h"
#include "macros.h"

/// "DIR/NAME/NAME.vmoptions" for the per-user configuration folder DIR and
/// the program name NAME; empty when either is unknown.
std::string userOptionsPath(const std::string& configDirectory, const std::string& appName);

/// Appends the options of the VM options file `path` to `options`: UTF-8 (a
/// byte order mark skipped), one option per line, surrounding blanks
/// trimmed, empty lines and lines starting with '#' skipped, macros
/// expanded. A missing file is normal and adds nothing; a file that cannot
/// be read, a line with a NUL byte and a UTF-16 file give a warning. True
/// when the file was read.
bool readUserOptions(const std::string& path, const Macros& macros,
                     std::vector<std::string>* options, Diagnostics* diagnostics);
