// Starting other programs: a child that the caller waits for, or a detached
// one that outlives this process. Paths and arguments are UTF-8 on Windows.
#pragma once

#include <string>
#include <vector>

/// How a waited-for child runs.
struct ChildOptions {
  /// Changes to the inherited environment: "NAME=VALUE" sets, "NAME" removes.
  std::vector<std::string> environment;
  /// True: standard output and error, merged, come back in ChildRun::output;
  /// false: they go to the null device.
  bool captureOutput = false;
  /// Zero: wait as long as it runs; else the child is killed after that long.
  unsigned timeoutSeconds = 0;
};

struct ChildRun {
  bool started = false;   ///< false: it could not be started (see error)
  int status = -1;        ///< its exit status; -1 when a signal or the timeout ended it
  bool timedOut = false;  ///< killed after ChildOptions::timeoutSeconds
  std::string output;     ///< standard output and error, when captured
  std::string error;      ///< why it could not be started
};

/// Runs arguments[0] (a path, never looked up in PATH) with the other
/// arguments and waits for it. Its standard input is the null device; on
/// Windows it gets no console window of its own.
ChildRun runChild(const std::vector<std::string>& arguments, const ChildOptions& options);

/// Starts arguments[0] without waiting for it and without handing it
/// anything of this process: its own process group (a terminal's Ctrl+C does
/// not reach it), standard streams on the null device, no console on
/// Windows. False when it could not be started.
bool startDetachedChild(const std::vector<std::string>& arguments);

/// Makes the calling process a background one: out of the terminal's
/// session, at the lowest CPU and I/O priority, without the files and
/// sockets it inherited beyond the standard streams. Its children inherit
/// that.
void becomeBackgroundProcess();

/// Suspends the calling thread for `milliseconds`.
void pauseMilliseconds(unsigned milliseconds);

/// Runs `function(argument)` on a new thread that nobody joins; false when
/// no thread could be made.
bool startDetachedThread(void (*function)(void*), void* argument);
