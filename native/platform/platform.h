// The platform layer: the few operating-system services the launcher, its
// configuration and the JSON reader need, implemented once per platform
// (platform-win32.cpp, platform-posix.cpp). It knows nothing of Java.
#pragma once

#include <string>

/// Separator of path lists: ';' on Windows, ':' on POSIX (the JVM's own).
#ifdef _WIN32
constexpr char pathListSeparator = ';';
#else
constexpr char pathListSeparator = ':';
#endif

/// The running program's own file as an absolute path (UTF-8 on Windows),
/// taken from the system (/proc/self/exe, GetModuleFileNameW), never from
/// argv[0]: symbolic links are resolved on POSIX. Empty when unknown.
std::string executablePath();

/// The user's folder for data an app may lose, such as caches: $XDG_CACHE_HOME
/// or ~/.cache on POSIX, %LOCALAPPDATA% on Windows (UTF-8). Empty when unknown.
std::string userLocalDataDirectory();

/// Makes `directory` the process's current directory; false on failure.
bool changeWorkingDirectory(const std::string& directory);

/// Sets a variable in this process's environment. An empty value is set as
/// an empty value, not removed. False when the platform refuses the name.
bool setEnvironmentVariable(const std::string& name, const std::string& value);

/// Looks up a variable of this process's environment: true with its value
/// (UTF-8; from the wide environment on Windows) when it is set.
bool environmentValue(const std::string& name, std::string* value);

/// The user's folder for program settings: %APPDATA% on Windows,
/// $XDG_CONFIG_HOME or else ~/.config on POSIX (UTF-8, no trailing
/// separator). Empty when unknown.
std::string userConfigDirectory();

/// Addresses of the Java runtime library's two JNI Invocation API entry
/// points (JNI_GetDefaultJavaVMInitArgs, JNI_CreateJavaVM), untyped.
struct VmEntryPoints {
  void* getDefaultArgs = nullptr;
  void* createVm = nullptr;
};

/// Loads the Java runtime library `library` (a path relative to the runtime
/// folder `runtimeHome`, with the system's separators) and finds its two
/// entry points. On Windows the runtime's "bin" folder, which holds its own
/// DLLs, becomes the folder DLLs are loaded from. On failure the system's
/// error has been reported (reportSystemError, naming the library's file)
/// and false returned.
bool loadVmRuntimeLibrary(const std::string& runtimeHome, const std::string& library,
                          VmEntryPoints* entryPoints);

/// Writes `line` and a line break to standard output (printLine) or standard
/// error (printErrorLine) at once, so that it stands before anything the Java
/// runtime writes afterwards. On Windows they go through std::cout and
/// std::cerr, whose buffers the failure report may replace.
void printLine(const std::string& line);
void printErrorLine(const std::string& line);

/// Gives the whole free pages of the C library's heaps back to the system
/// (glibc); does nothing elsewhere.
void releaseFreeMemory();

/// Writes "Error code [N] when trying to <description>: <system text>" to
/// standard error for the calling thread's last error.
void reportSystemError(const char* description);

/// Converts a NUL-terminated text in the system's narrow character set (the
/// ANSI code page on Windows, the locale's on POSIX) to UTF-8. On POSIX each
/// byte that does not convert becomes one U+FFFD; a text whose character set
/// has no converter is returned unchanged.
std::string toUtf8(const char* text);

/// Ends the process through the normal exit path (exit handlers run, streams
/// are flushed). Only the entry points, the end of the VM task and the VM's
/// exit hook call it; everything else returns its status to them.
[[noreturn]] void exitProcess(int status);

/// A hook that exitProcess calls first, such as the Windows entry's showing
/// of a failure. The process exits when it returns.
using ExitHook = void (*)(int status);
void setExitHook(ExitHook hook);
