// The launcher's steps for the app's place on the desktop: one instance per
// user and app, the taskbar identity, and the restart on request. The work
// is native/instance's; these steps fit it into the launch.
#pragma once

#include <string>

#include "launch_plan.h"
#include "step_result.h"

/// With "singleInstance" and without -c --new-instance: makes this launch
/// the app's one instance, or hands it (`startDirectory` and the Java
/// arguments) to the running instance, which ends the launch with status 0,
/// or with 1 when that instance does not answer (the message written). As
/// the instance, gives the queue of later launches for the app's method
/// (null when it names none). Where instances cannot meet, warns and goes on.
StepResult<LaunchQueue*> joinInstance(const LaunchPlan& plan, const std::string& startDirectory);

/// Before the VM starts: sets the taskbar identity (Windows) and the exit
/// status with which the app asks for a restart.
void prepareDesktop(const LaunchPlan& plan);

/// The status the process ends with when the app ended with `status` (the
/// VM task's end, System.exit): a restart asked for is made (its failure
/// written), and the instance takes no later launch any more.
int endOfApp(int status);
