// The runtime's files that the startup cache looks at, per platform
// (startup_cache-posix.cpp, startup_cache-win32.cpp).
#pragma once

/// The VM library, relative to the runtime folder: its size and time enter the key.
extern const char* const runtimeLibraryInHome;

/// The runtime's own class archive, relative to the runtime folder: a
/// dynamic archive is recorded on top of it and cannot be without it.
extern const char* const baseArchiveInHome;
