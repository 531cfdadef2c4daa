// The launcher's command-line front end: program identity, the choice between
// plain argument routing and the command-line interface mode, and the Java
// program's arguments.
#pragma once

/// Fills launchSettings from the process's arguments (argv ends with a null
/// entry). Returns false when help was shown (the caller exits with status 1);
/// ends the process itself with status 1 on a command-line error.
bool parseCommandLine(int argc, char** argv);
