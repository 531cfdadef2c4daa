// The runtime's files that the startup cache looks at and runs, per platform
// (startup_cache-posix.cpp, startup_cache-win32.cpp).
#pragma once

/// The VM library, relative to the runtime folder: its size and time enter the key.
extern const char* const runtimeLibraryInHome;

/// The runtime's class image, relative to the runtime folder: likewise.
extern const char* const runtimeModulesInHome;

/// The runtime's `java` program, relative to the runtime folder: it builds archives.
extern const char* const javaProgramInHome;
