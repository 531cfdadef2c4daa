// Shared helpers of the launcher tests: exits become exceptions, and the
// process-wide settings start afresh for every test.
#pragma once

#include <gtest/gtest.h>

#include "launch_settings.h"
#include "platform.h"

/// Thrown by the exit hook in place of ending the process.
struct ProcessExit {
  int status;
};

inline void throwProcessExit(int status) { throw ProcessExit{status}; }

class LauncherTest : public ::testing::Test {
 protected:
  void SetUp() override {
    launchSettings = LaunchSettings();
    setExitHook(throwProcessExit);
  }
  void TearDown() override { setExitHook(nullptr); }
};

/// Runs `body`, which must end the process, and returns the exit status.
template <typename Body>
int exitStatusOf(Body body) {
  try {
    body();
  } catch (const ProcessExit& exit) {
    return exit.status;
  }
  return -1;
}
