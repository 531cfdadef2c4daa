// Child processes on Windows: CreateProcessW without a console window,
// standard handles on NUL or a pipe, a Unicode environment block.
#include <windows.h>

#include <cstdint>

#include "child_process.h"
#include "wide_text-win32.h"

namespace {

/// This process's environment with `changes` applied, as a block for
/// CreateProcessW (each "NAME=VALUE" ended by a NUL, then one more NUL).
std::wstring changedEnvironment(const std::vector<std::string>& changes) {
  std::vector<std::wstring> entries;
  wchar_t* block = GetEnvironmentStringsW();
  for (const wchar_t* entry = block; block && *entry; entry += wcslen(entry) + 1)
    entries.push_back(entry);
  if (block) FreeEnvironmentStringsW(block);
  for (const std::string& change : changes) {
    const std::wstring wide = wideFromUtf8(change);
    const std::wstring name = wide.substr(0, wide.find(L'='));
    for (size_t i = entries.size(); i-- > 0;)
      if (entries[i].size() > name.size() && entries[i][name.size()] == L'=' &&
          CompareStringOrdinal(entries[i].c_str(), static_cast<int>(name.size()), name.c_str(),
                               static_cast<int>(name.size()), TRUE) == CSTR_EQUAL)
        entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(i));
    if (wide.find(L'=') != std::wstring::npos) entries.push_back(wide);
  }
  std::wstring result;
  for (const std::wstring& entry : entries) result += entry + L'\0';
  return result + L'\0';
}

HANDLE openNul(DWORD access) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  return CreateFileW(L"NUL", access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0,
                     nullptr);
}

void closeIfOpen(HANDLE handle) {
  if (handle && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
}

/// Reads what the pipe holds now; true while the pipe is open.
bool drain(HANDLE pipe, std::string* output) {
  DWORD available = 0;
  if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) return false;
  char buffer[4096];
  while (available > 0) {
    DWORD count = 0;
    if (!ReadFile(pipe, buffer, sizeof buffer, &count, nullptr) || count == 0) return false;
    output->append(buffer, count);
    available = available > count ? available - count : 0;
  }
  return true;
}

/// Waits for the process, reading `pipe` (if any) meanwhile, until it ends
/// or `timeoutSeconds` pass (0: no limit); then kills it.
void waitFor(HANDLE process, HANDLE pipe, unsigned timeoutSeconds, ChildRun* run) {
  const ULONGLONG deadline = timeoutSeconds ? GetTickCount64() + timeoutSeconds * 1000ULL : 0;
  bool open = pipe != nullptr;
  while (true) {
    if (open) open = drain(pipe, &run->output);
    const DWORD slice = open || deadline ? 20 : INFINITE;
    if (WaitForSingleObject(process, slice) == WAIT_OBJECT_0) break;
    if (deadline && GetTickCount64() >= deadline) {
      TerminateProcess(process, 1);
      WaitForSingleObject(process, INFINITE);
      run->timedOut = true;
      break;
    }
  }
  if (open) drain(pipe, &run->output);
  DWORD status = 0;
  GetExitCodeProcess(process, &status);
  run->status = run->timedOut ? -1 : static_cast<int>(status);
}

}  // namespace

ChildRun runChild(const std::vector<std::string>& arguments, const ChildOptions& options) {
  ChildRun run;
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  if (options.captureOutput && !CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
    run.error = "cannot create a pipe (error " + std::to_string(GetLastError()) + ")";
    return run;
  }
  if (readEnd) SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  HANDLE input = openNul(GENERIC_READ);
  HANDLE output = options.captureOutput ? writeEnd : openNul(GENERIC_WRITE);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input;
  startup.hStdOutput = output;
  startup.hStdError = output;
  std::wstring line = commandLineOf(arguments);
  std::wstring environment = changedEnvironment(options.environment);
  PROCESS_INFORMATION process = {};
  run.started = CreateProcessW(wideFromUtf8(arguments[0]).c_str(), &line[0], nullptr, nullptr, TRUE,
                               CREATE_NO_WINDOW | CREATE_UNICODE_ENVIRONMENT, &environment[0],
                               nullptr, &startup, &process) != 0;
  const DWORD failure = GetLastError();
  closeIfOpen(input);
  closeIfOpen(output);
  if (!run.started) {
    closeIfOpen(readEnd);
    run.error = "error " + std::to_string(failure);
    return run;
  }
  waitFor(process.hProcess, readEnd, options.timeoutSeconds, &run);
  closeIfOpen(readEnd);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return run;
}

bool startDetachedChild(const std::vector<std::string>& arguments) {
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  std::wstring line = commandLineOf(arguments);
  const std::wstring program = wideFromUtf8(arguments[0]);
  const DWORD flags = DETACHED_PROCESS | CREATE_NEW_PROCESS_GROUP | BELOW_NORMAL_PRIORITY_CLASS;
  PROCESS_INFORMATION process = {};
  // Out of this process's job, where the job allows it: a job that ends its
  // processes when it closes would end this one too.
  bool started = CreateProcessW(program.c_str(), &line[0], nullptr, nullptr, FALSE,
                                flags | CREATE_BREAKAWAY_FROM_JOB, nullptr, nullptr, &startup,
                                &process) != 0 ||
                 CreateProcessW(program.c_str(), &line[0], nullptr, nullptr, FALSE, flags, nullptr,
                                nullptr, &startup, &process) != 0;
  if (!started) return false;
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return true;
}

void becomeBackgroundProcess() {
  // Inherited by the processes it starts; a detached start sets it already.
  SetPriorityClass(GetCurrentProcess(), BELOW_NORMAL_PRIORITY_CLASS);
}

void pauseMilliseconds(unsigned milliseconds) { Sleep(milliseconds); }

namespace {

struct ThreadStart {
  void (*function)(void*);
  void* argument;
};

DWORD WINAPI runThread(void* start) {
  const ThreadStart copy = *static_cast<ThreadStart*>(start);
  delete static_cast<ThreadStart*>(start);
  copy.function(copy.argument);
  return 0;
}

}  // namespace

bool startDetachedThread(void (*function)(void*), void* argument) {
  ThreadStart* start = new ThreadStart{function, argument};
  HANDLE thread = CreateThread(nullptr, 0, runThread, start, 0, nullptr);
  if (!thread) {
    delete start;
    return false;
  }
  CloseHandle(thread);
  return true;
}
