// The process environment and the user's folders on Windows: read through
// the wide API, returned as UTF-8.
#include <windows.h>

#include <vector>

#include "platform.h"
#include "wide_text-win32.h"

bool environmentValue(const std::string& name, std::string* value) {
  const std::wstring wideName = wideFromUtf8(name);
  if (wideName.empty()) return false;
  std::vector<wchar_t> buffer(256);
  for (;;) {
    SetLastError(ERROR_SUCCESS);
    DWORD length = GetEnvironmentVariableW(wideName.c_str(), buffer.data(),
                                           static_cast<DWORD>(buffer.size()));
    if (length == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND) return false;
    if (length < buffer.size()) break;
    buffer.resize(length);  // the size needed, terminating NUL included
  }
  *value = utf8FromWide(buffer.data());
  return true;
}

namespace {

/// The folder that the environment variable `variable` names, without a
/// trailing separator; empty when it is not set.
std::string userFolder(const char* variable) {
  std::string directory;
  if (!environmentValue(variable, &directory)) return std::string();
  while (!directory.empty() && (directory.back() == '\\' || directory.back() == '/'))
    directory.pop_back();
  return directory;
}

}  // namespace

std::string userConfigDirectory() { return userFolder("APPDATA"); }

std::string userLocalDataDirectory() { return userFolder("LOCALAPPDATA"); }
