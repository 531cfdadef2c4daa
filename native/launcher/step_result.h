// What a step of the launch gives back: the value it made, or the exit
// status the launch ends with instead. Only the entry points end the
// process; the steps return.
#pragma once

#include <optional>

template <typename T>
struct StepResult {
  T value{};
  /// Set when the launch ends here, with this status; the step has written
  /// its messages.
  std::optional<int> exitStatus;

  static StepResult stop(int status) {
    StepResult result;
    result.exitStatus = status;
    return result;
  }
  bool stops() const { return exitStatus.has_value(); }
};
