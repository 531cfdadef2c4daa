// The process environment and the user's folders on Windows: read through
// the wide API, returned as UTF-8.
#include <windows.h>

#include <vector>

#include "platform.h"

namespace {

std::wstring wideFromUtf8(const std::string& text) {
  int length = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
  if (length <= 0) return std::wstring();
  std::vector<wchar_t> wide(static_cast<size_t>(length));
  MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, wide.data(), length);
  return std::wstring(wide.data());
}

std::string utf8FromWide(const wchar_t* text) {
  int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return std::string();
  std::vector<char> bytes(static_cast<size_t>(size));
  WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes.data(), size, nullptr, nullptr);
  return std::string(bytes.data());
}

}  // namespace

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

std::string userConfigDirectory() {
  std::string directory;
  if (!environmentValue("APPDATA", &directory)) return std::string();
  while (!directory.empty() && (directory.back() == '\\' || directory.back() == '/'))
    directory.pop_back();
  return directory;
}
