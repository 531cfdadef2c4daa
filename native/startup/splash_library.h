// Loading the runtime's splash library, per platform
// (splash_library-posix.cpp, splash_library-win32.cpp).
#pragma once

#include <string>

/// The library's entry points that a launcher drives.
struct SplashEntryPoints {
  void (*init)() = nullptr;
  void (*setScaleFactor)(float factor) = nullptr;
  /// Decodes the image (PNG, GIF or JPEG) and shows it; 0 when it cannot.
  int (*loadMemory)(void* data, int size) = nullptr;
  /// The names java.awt.SplashScreen reports: the image file, and the jar it came from.
  void (*setFileJarName)(const char* fileName, const char* jarName) = nullptr;
};

/// Loads the splash library of `runtimeHome`. On failure returns false with
/// the reason in `error`.
bool loadSplashLibrary(const std::string& runtimeHome, SplashEntryPoints* entryPoints,
                       std::string* error);
