// One instance per user and app: the first launch runs the app and takes
// the later launches; a later launch hands its working directory and
// arguments to it and ends.
#pragma once

#include <chrono>
#include <functional>
#include <string>

#include "launch_message.h"

/// What the running instance does with a launch handed to it: true when it
/// took it (the later launch is told so and ends), false to refuse it.
using LaunchHandler = std::function<bool(ForwardedLaunch launch)>;

struct InstanceRequest {
  std::string appDirectory;  ///< identifies the app (absolute)
  ForwardedLaunch launch;    ///< this launch, for the running instance
  /// How long a running instance has to take the launch.
  std::chrono::milliseconds answerTime{5000};
};

struct InstanceOutcome {
  enum class Kind {
    first,       ///< this process is the app's instance
    handedOver,  ///< the running instance took this launch
    failed,      ///< the running instance did not take it; see message
    unavailable  ///< instances cannot meet here; see message
  };
  Kind kind = Kind::first;
  std::string message;
};

/// Becomes the app's one instance, or hands `request.launch` to the running
/// one and waits for its answer. As the first, starts a thread that takes
/// the later launches for as long as the process lives and passes each to
/// `handler`, one at a time, in the order they arrive.
InstanceOutcome claimInstance(const InstanceRequest& request, LaunchHandler handler);
