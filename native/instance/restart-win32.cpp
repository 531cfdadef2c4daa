#include <windows.h>

#include "platform.h"
#include "restart.h"
#include "restart_platform.h"
#include "wide_text-win32.h"

namespace {

/// What the process started with, and what the launcher that restarted it
/// waits for.
struct Origin {
  std::wstring executable;
  std::wstring commandLine;
  std::wstring workingDirectory;
  std::wstring environment;  ///< the block, each variable ending in NUL
  bool restarted = false;
  HANDLE previous = nullptr;    ///< the launcher that restarted this one
  HANDLE handedOver = nullptr;  ///< set once this one has the console
};

Origin origin;

std::wstring currentDirectoryWide() {
  std::wstring directory(GetCurrentDirectoryW(0, nullptr), L'\0');
  directory.resize(GetCurrentDirectoryW(static_cast<DWORD>(directory.size()), &directory[0]));
  return directory;
}

std::wstring environmentBlock() {
  wchar_t* block = GetEnvironmentStringsW();
  std::wstring copy;
  for (const wchar_t* at = block; at && *at; at += wcslen(at) + 1) copy.append(at, wcslen(at) + 1);
  FreeEnvironmentStringsW(block);
  return copy;
}

HANDLE handleFrom(int64_t value) { return reinterpret_cast<HANDLE>(static_cast<intptr_t>(value)); }

std::string handleText(HANDLE handle) {
  return std::to_string(static_cast<long long>(reinterpret_cast<intptr_t>(handle)));
}

/// Hands the standard handles on, for output that goes to a file or pipe.
void inheritStandardHandles(STARTUPINFOW& startup) {
  startup.dwFlags |= STARTF_USESTDHANDLES;
  HANDLE* targets[] = {&startup.hStdInput, &startup.hStdOutput, &startup.hStdError};
  const DWORD sources[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
  for (int i = 0; i < 3; ++i) {
    *targets[i] = GetStdHandle(sources[i]);
    SetHandleInformation(*targets[i], HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
  }
}

/// Starts the launcher again with `record` and waits until it has taken
/// the console over; the error code when it cannot be started.
DWORD startLauncher(const std::string& record, HANDLE handedOver) {
  std::wstring environment = origin.environment + wideFromUtf8(restartRecordVariable) + L'=' +
                             wideFromUtf8(record) + L'\0' + L'\0';
  std::wstring commandLine = origin.commandLine + L'\0';
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  inheritStandardHandles(startup);
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(origin.executable.c_str(), &commandLine[0], nullptr, nullptr, TRUE,
                      CREATE_UNICODE_ENVIRONMENT, &environment[0],
                      origin.workingDirectory.c_str(), &startup, &started))
    return GetLastError();
  HANDLE events[] = {handedOver, started.hProcess};
  WaitForMultipleObjects(2, events, FALSE, 10000);
  CloseHandle(started.hThread);
  CloseHandle(started.hProcess);
  return ERROR_SUCCESS;
}

}  // namespace

void takeRestartRecord(int, char**) {
  std::string record;
  if (environmentValue(restartRecordVariable, &record)) {
    origin.restarted = true;
    std::vector<int64_t> numbers = parseRestartTimes(record);
    if (numbers.size() >= 2) {
      origin.previous = handleFrom(numbers[0]);
      origin.handedOver = handleFrom(numbers[1]);
      numbers.erase(numbers.begin(), numbers.begin() + 2);
    }
    earlierRestarts = numbers;
    SetEnvironmentVariableW(wideFromUtf8(restartRecordVariable).c_str(), nullptr);
  }
  origin.executable = wideFromUtf8(executablePath());
  origin.commandLine = GetCommandLineW();
  origin.workingDirectory = currentDirectoryWide();
  origin.environment = environmentBlock();
}

bool isRestart() { return origin.restarted; }

void completeRestartHandOver() {
  if (origin.handedOver) SetEvent(origin.handedOver);
  // Its files (the launcher, the runtime) are free once it is gone.
  if (origin.previous && GetProcessId(origin.previous) != 0)
    WaitForSingleObject(origin.previous, 30000);
  for (HANDLE handle : {origin.handedOver, origin.previous})
    if (handle) CloseHandle(handle);
  origin.handedOver = origin.previous = nullptr;
}

std::string startRestart(const std::string& record) {
  HANDLE self = nullptr;
  DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &self,
                  SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, TRUE, 0);
  SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
  HANDLE handedOver = CreateEventW(&inherited, TRUE, FALSE, nullptr);
  const std::string full = handleText(self) + ' ' + handleText(handedOver) +
                           (record.empty() ? "" : " " + record);
  const DWORD error = startLauncher(full, handedOver);
  CloseHandle(self);
  CloseHandle(handedOver);
  if (error != ERROR_SUCCESS)
    return "cannot restart the app: the launcher did not start (error " +
           std::to_string(error) + ")";
  // The console is the restarted launcher's now: no prompt of this one's may hold it.
  FreeConsole();
  return std::string();
}
