// Shared pieces of the fuzz targets.
#pragma once

/// Stops the run with a crash that libFuzzer records as a finding.
inline void check(bool condition) {
  if (!condition) __builtin_trap();
}

/// Thrown by the exit hook, so that the launcher's fatal exits end one run
/// of a target instead of the whole process.
struct ExitRequest {
  int status;
};

[[noreturn]] inline void throwExit(int status) { throw ExitRequest{status}; }
