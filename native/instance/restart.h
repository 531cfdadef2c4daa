// Starting the app again when it ends with the status it chose for that
// ("restartExitCode"): the same launcher with the same arguments, working
// directory and environment as at the start, once this process's Java VM
// and single-instance lock are gone, on the same console; at most five times
// a minute. POSIX replaces the process image at the very end of the exit
// (restart-posix.cpp); Windows starts a new process that takes the console
// over and waits for this one to end (restart-win32.cpp).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

/// How many restarts a minute the launcher makes; the next one is refused.
constexpr size_t restartLimit = 5;

/// Call first in the entry, before the console, the working directory or
/// the environment change: keeps what a restart needs, and takes (and
/// removes from the environment) the record a restarting launcher left.
void takeRestartRecord(int argc, char** argv);

/// True when the launcher that started this process restarted the app.
bool isRestart();

/// Call once the console is settled: lets the launcher that restarted this
/// one end, and waits until it has (Windows); nothing elsewhere.
void completeRestartHandOver();

/// Call once the configuration is read, before anything else arranges work
/// for the process's exit: the app asks for a restart by ending with
/// `exitCode` (1 to 255; 0: never).
void prepareRestart(int exitCode);

struct AppEnd {
  int status = 0;     ///< the status the process ends with
  std::string error;  ///< why a requested restart is not made
};

/// The app ended with `status`: when that asks for a restart, the restart
/// is made (or arranged for the process's exit) and the process ends with 0;
/// when it cannot be made, or would be one too many, with 1 and the reason.
AppEnd endApp(int status);

/// The restart times (seconds) `record` lists.
std::vector<int64_t> parseRestartTimes(const std::string& record);

/// Drops the times before the minute that ends at `now`; when fewer than
/// restartLimit remain, adds `now` and returns true.
bool allowRestart(std::vector<int64_t>* times, int64_t now);

/// The record of `times` for the restarted launcher.
std::string formatRestartTimes(const std::vector<int64_t>& times);

/// The environment variable that carries the record.
extern const char* const restartRecordVariable;
