// Makes malloc, calloc and realloc fail on purpose inside the test program.
// The test executable is linked with --wrap for the three functions, so every
// allocation of the code under test passes through a countdown that is
// disarmed unless a test arms it.
#pragma once

/// Makes the `nth` allocation from now on fail (1 is the next one); with
/// `andAfter` every later one fails too, until disarmed.
void failAllocation(int nth, bool andAfter = false);

/// Lets every allocation succeed again; returns whether an armed failure
/// was actually triggered since the last arming.
bool disarmAllocationFailure();

/// Arms a failure for the scope of one call, then disarms it.
struct FailingAllocation {
  explicit FailingAllocation(int nth, bool andAfter = false) { failAllocation(nth, andAfter); }
  ~FailingAllocation() { disarmAllocationFailure(); }
};
