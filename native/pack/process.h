// Running the JDK's tools (jdeps, jlink) and collecting what they print.
#pragma once

#include <string>
#include <vector>

struct ProgramRun {
  bool started = false;  ///< false: the program could not be started (see error)
  int status = -1;       ///< its exit status; -1 when it ended on a signal
  std::string output;    ///< standard output and standard error, merged
  std::string error;     ///< why it could not be started
};

/// Runs arguments[0] (a path, UTF-8) with the other arguments as they are,
/// waits for it and returns its status and output.
ProgramRun runProgram(const std::vector<std::string>& arguments);
