// Shared pieces of the fuzz targets.
#pragma once

/// Stops the run with a crash that libFuzzer records as a finding.
inline void check(bool condition) {
  if (!condition) __builtin_trap();
}
