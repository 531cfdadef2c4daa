// Running a program on Windows: CreateProcessW with a pipe for its output.
#include "process.h"

#include <windows.h>

#include "wide_text-win32.h"

namespace {

/// Quotes one argument as the C runtime's command-line parser reads it back.
std::wstring quoteArgument(const std::wstring& argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos)
    return argument;
  std::wstring quoted = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, L'\\');
  return quoted + L"\"";
}

std::wstring commandLine(const std::vector<std::string>& arguments) {
  std::wstring line;
  for (const std::string& argument : arguments)
    line += (line.empty() ? L"" : L" ") + quoteArgument(wideFromUtf8(argument));
  return line;
}

void readAll(HANDLE pipe, std::string* output) {
  char buffer[4096];
  DWORD count = 0;
  while (ReadFile(pipe, buffer, sizeof buffer, &count, nullptr) && count > 0)
    output->append(buffer, count);
}

/// Starts the program with `output` as its standard output and error.
bool startProgram(const std::vector<std::string>& arguments, HANDLE output,
                  PROCESS_INFORMATION* process) {
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = output;
  startup.hStdError = output;
  std::wstring line = commandLine(arguments);
  return CreateProcessW(wideFromUtf8(arguments[0]).c_str(), &line[0], nullptr, nullptr, TRUE,
                        CREATE_NO_WINDOW, nullptr, nullptr, &startup, process);
}

int waitFor(const PROCESS_INFORMATION& process) {
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 0;
  GetExitCodeProcess(process.hProcess, &status);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return static_cast<int>(status);
}

}  // namespace

ProgramRun runProgram(const std::vector<std::string>& arguments) {
  ProgramRun run;
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
    run.error = "cannot create a pipe";
    return run;
  }
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  PROCESS_INFORMATION process = {};
  run.started = startProgram(arguments, writeEnd, &process);
  DWORD failure = GetLastError();
  CloseHandle(writeEnd);
  if (run.started) readAll(readEnd, &run.output);
  CloseHandle(readEnd);
  if (!run.started) run.error = "error " + std::to_string(failure);
  else run.status = waitFor(process);
  return run;
}
