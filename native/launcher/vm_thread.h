// Running the VM task on a thread of its own, as the Java runtime expects
// of its main thread on POSIX systems.
#pragma once

#include <cstddef>

#include "launch.h"

/// The stack size for the VM's main thread: the last "-Xss" option of
/// `args` (with its k, m or g suffix), else 8 MiB.
size_t vmThreadStackSize(const JavaVMInitArgs& args);

/// A VmRunner: runs the task on a new thread with vmThreadStackSize(args)
/// and waits for it. The task ends the process from that thread; if the
/// thread cannot be made, the task runs on the calling thread.
void runOnVmThread(VmTask task, const JavaVMInitArgs& args);
