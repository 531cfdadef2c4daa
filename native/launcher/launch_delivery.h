// The Java side of the single instance: the launches handed to the running
// instance reach the app's static method, one at a time and in order, on a
// thread of their own attached to the Java VM.
#pragma once

#include <jni.h>

#include <string>

#include "launch_queue.h"

/// Starts a daemon thread attached to `vm` that passes each launch from
/// `queue` (once it is open) to the static method `method`, written
/// "com.example.App.onLaunch": onLaunch(String workingDirectory, String[]
/// args), or else onLaunch(String[] args). A method that is not there is
/// reported once, as a warning; an exception it throws goes to the thread's
/// uncaught-exception handler. `queue` must outlive the process's exit.
void startLaunchDelivery(JavaVM* vm, LaunchQueue* queue, const std::string& method);
