// What the restart's platform parts (restart-posix.cpp, restart-win32.cpp)
// share with restart.cpp.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

/// The restarts of the past minute, from the record this launcher found.
extern std::vector<int64_t> earlierRestarts;

/// Makes the restart, handing `record` on to the next launcher, or arranges
/// it for the end of the process's exit; the reason when it cannot.
std::string startRestart(const std::string& record);
