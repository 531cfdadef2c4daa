// Starts a program as a double-click does: no console (DETACHED_PROCESS) and
// no standard handles (STARTF_USESTDHANDLES with null handles). Waits for it
// and ends with its exit status; 120 when it cannot be started.
//   detached_start PROGRAM [ARGUMENT...]
#include <windows.h>

#include <string>

namespace {

/// The command line after this program's own name, as it was given.
const wchar_t* argumentsAfterProgram(const wchar_t* line) {
  bool quoted = false;
  for (; *line && (quoted || (*line != L' ' && *line != L'\t')); ++line)
    if (*line == L'"') quoted = !quoted;
  while (*line == L' ' || *line == L'\t') ++line;
  return line;
}

}  // namespace

int main() {
  std::wstring commandLine = argumentsAfterProgram(GetCommandLineW());
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = startup.hStdOutput = startup.hStdError = nullptr;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, DETACHED_PROCESS,
                      nullptr, nullptr, &startup, &process))
    return 120;
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 120;
  GetExitCodeProcess(process.hProcess, &status);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(status);
}
