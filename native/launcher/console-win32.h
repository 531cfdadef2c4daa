// The Windows launcher's console: a console window of its own when the user
// asks for one with --console, otherwise the console of the parent process,
// and the exit prompt that keeps an own console open until Enter is pressed.
#pragma once

#include <cstdio>

/// The console services the entry uses, as replaceable functions so that
/// tests can observe the calls; systemConsoleApi holds the real ones.
struct ConsoleApi {
  bool (*attachConsole)();  ///< attaches to the parent process's console
  void (*freeConsole)();
  bool (*allocConsole)();   ///< opens a console window of the process's own
  /// Re-opens a standard stream (stdin, stdout or stderr) onto `path`.
  void (*reopen)(const char* path, const char* mode, std::FILE* stream);
  void (*registerAtExit)(void (*handler)());
};

extern const ConsoleApi systemConsoleApi;

/// The real services for a launcher that another one started again: the
/// console of the one before (which waits for it) is taken, also when a
/// console of its own was asked for; only without one a new one is opened.
extern const ConsoleApi inheritingConsoleApi;

/// True when an entry of argv (the program path included, null entries
/// skipped) is "--console" apart from ASCII letter case.
bool consoleRequested(int argc, char** argv);

/// Settles where the standard streams lead before anything is printed:
/// a new console when requested (with pressEnterToExit registered at exit),
/// else the parent's console. When a console was had, the three standard
/// streams are re-opened onto it; otherwise they stay as they are.
void setUpConsole(int argc, char** argv, const ConsoleApi& api);

/// Writes "Press ENTER key to exit." to `output` and reads one character
/// from `input`; returns at once at end of input or on a read error.
void promptForEnter(std::FILE* input, std::FILE* output);

/// The exit prompt on the standard streams.
void pressEnterToExit();
