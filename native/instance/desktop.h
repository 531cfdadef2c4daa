// The app's place on the Windows desktop: its taskbar identity, and the
// foreground handed from a later launch to the running instance. Nothing of
// it applies elsewhere (desktop-posix.cpp does nothing).
#pragma once

#include <string>

/// Sets the process's AppUserModelID, which groups its windows, taskbar
/// button and shortcuts as one app; call before any window exists. False
/// when the system refuses it.
bool setTaskbarIdentity(const std::string& id);

/// Lets the running instance, process `process` (0: unknown, any process),
/// take the foreground.
void allowForeground(unsigned long process);

/// Brings this process's first visible top-level window forward, restored
/// when it is minimized.
void bringOwnWindowForward();
