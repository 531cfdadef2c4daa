// The splash screen: an image the runtime's own splash library shows before
// the VM starts, which java.awt.SplashScreen then controls and AWT closes
// when the app's first window appears.
#pragma once

#include <string>

/// Shows the image file `imagePath` (relative to the working directory)
/// through the splash library of the runtime folder `runtimeHome`. The VM
/// library must be loaded already: the splash library links against it.
/// Returns an empty text on success, otherwise why not (for a warning line).
std::string showSplashScreen(const std::string& runtimeHome, const std::string& imagePath);
