// Running a JDK's tools (jdeps, jlink, java) and taking what they print.
#pragma once

#include <string>
#include <vector>

/// The program `tool` in the JDK or runtime folder `jdk`: bin/TOOL(.exe).
std::string toolOf(const std::string& jdk, const std::string& tool);

/// Runs `command`; true with its output when it ends with status 0, else
/// false with "TOOL failed (exit status N):" and its output in `error`.
bool runTool(const std::vector<std::string>& command, std::string* output, std::string* error);
