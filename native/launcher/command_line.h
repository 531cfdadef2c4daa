// The launcher's command-line front end: program identity, the choice between
// plain argument routing and the command-line interface mode, and the Java
// program's arguments.
#pragma once

#include <string>

#include "tabopt.h"

/// Sets launchSettings.appDirectory and appName from the executable's own
/// path (executablePath()); the working directory starts there. An empty
/// path leaves both empty, and the working directory then comes from argv[0].
void takeAppIdentity(const std::string& executable);

/// Fills launchSettings from the process's arguments (argv ends with a null
/// entry). Returns false when help was shown (the caller exits with status 1);
/// ends the process itself with status 1 on a command-line error.
bool parseCommandLine(int argc, char** argv);

/// Option handler of "-J": appends a copy of the value to the list of
/// strings (std::vector<std::string>) that `destination` points to. Refuses
/// nothing; without a value it changes nothing.
tabopt_result appendVmArg(tabopt_context* context, const tabopt_option* option,
                          const char* value, void* destination);
