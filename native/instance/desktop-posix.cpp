#include "desktop.h"

// The desktop entry's StartupWMClass is the taskbar identity here; the window
// manager decides about the foreground.
bool setTaskbarIdentity(const std::string&) { return true; }

void allowForeground(unsigned long) {}

void bringOwnWindowForward() {}
