// The program's command-line arguments as UTF-8 texts.
#pragma once

#include <string>
#include <vector>

/// The arguments after the program name (on Windows from the wide command
/// line, so that every character arrives).
std::vector<std::string> commandLineArguments(int argc, char** argv);
