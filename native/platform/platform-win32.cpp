#include "platform.h"

#include <windows.h>

#include <iostream>
#include <vector>

#include "wide_text-win32.h"

const char* const vmRuntimeLibraryPath = "jre\\bin\\server\\jvm.dll";

namespace {

/// The system's text for an error code, with its CR LF line end turned into
/// the '\n' that the text-mode standard error stream writes as CR LF again.
/// English first; empty when the system has no text for the code. A "%1" in
/// the text (a text about a file) names `insert`.
std::string systemErrorText(DWORD code, const std::string& insert) {
  const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                      FORMAT_MESSAGE_IGNORE_INSERTS;
  wchar_t* buffer = nullptr;
  DWORD length = FormatMessageW(flags, nullptr, code,
                                MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                                reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
  // A system without English messages still has its own language's text.
  if (length == 0)
    length = FormatMessageW(flags, nullptr, code, 0, reinterpret_cast<LPWSTR>(&buffer), 0,
                            nullptr);
  std::wstring wide;
  for (DWORD i = 0; buffer && i < length; ++i)
    if (!(buffer[i] == L'\r' && i + 1 < length && buffer[i + 1] == L'\n')) wide += buffer[i];
  LocalFree(buffer);
  std::string text = utf8FromWide(wide);
  for (size_t at; !insert.empty() && (at = text.find("%1")) != std::string::npos;)
    text.replace(at, 2, insert);
  return text;
}

/// Writes the "Error code" line for the last error, "%1" naming `insert`.
void reportSystemErrorAbout(const char* description, const std::string& insert) {
  DWORD code = GetLastError();  // before any other call can change it
  std::string text = systemErrorText(code, insert);
  // The fatal line that follows must start a line of its own.
  if (text.empty()) text = "no description available";
  if (text.back() != '\n') text += '\n';
  std::cerr << "Error code [" << static_cast<unsigned long>(code) << "] when trying to "
            << description << ": " << text << std::flush;
}

/// `path` made absolute against the working directory; as given on failure.
std::wstring absolutePath(const std::string& path) {
  const std::wstring wide = wideFromUtf8(path);
  DWORD length = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (length == 0) return wide;
  std::wstring full(length, L'\0');
  length = GetFullPathNameW(wide.c_str(), length, &full[0], nullptr);
  full.resize(length);
  return full;
}

/// The runtime's entry points in `library`; false after reporting.
bool findEntryPoints(HMODULE library, VmEntryPoints* entryPoints) {
  entryPoints->getDefaultArgs =
      reinterpret_cast<void*>(GetProcAddress(library, "JNI_GetDefaultJavaVMInitArgs"));
  if (!entryPoints->getDefaultArgs) {
    reportSystemError("obtain JNI_GetDefaultJavaVMInitArgs address");
    return false;
  }
  entryPoints->createVm =
      reinterpret_cast<void*>(GetProcAddress(library, "JNI_CreateJavaVM"));
  if (!entryPoints->createVm) {
    reportSystemError("obtain JNI_CreateJavaVM address");
    return false;
  }
  return true;
}

}  // namespace

bool changeWorkingDirectory(const std::string& directory) {
  std::wstring wide = wideFromUtf8(directory);
  return !wide.empty() && SetCurrentDirectoryW(wide.c_str()) != 0;
}

bool setEnvironmentVariable(const std::string& name, const std::string& value) {
  return SetEnvironmentVariableW(wideFromUtf8(name).c_str(), wideFromUtf8(value).c_str()) != 0;
}

std::string executablePath() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return std::string();
    if (length < buffer.size()) break;
    buffer.resize(buffer.size() * 2);
  }
  return utf8FromWide(buffer.data());
}

bool loadVmRuntimeLibrary(const std::string& runtimeHome, VmEntryPoints* entryPoints) {
  // The runtime's own libraries (java.dll and others) live in jre\bin. Both
  // paths are made absolute: LoadLibrary would search for a relative one
  // along the search path, PATH included.
  const std::wstring binDirectory = absolutePath(runtimeHome + "\\bin");
  if (!SetDllDirectoryW(binDirectory.c_str())) {
    reportSystemErrorAbout("SetDllDirectory", utf8FromWide(binDirectory));
    return false;
  }
  const std::wstring path = binDirectory + L"\\server\\jvm.dll";
  HMODULE library = LoadLibraryExW(path.c_str(), nullptr, 0);
  if (!library) {
    reportSystemErrorAbout("load jvm.dll", utf8FromWide(path));
    return false;
  }
  return findEntryPoints(library, entryPoints);
}

void reportSystemError(const char* description) {
  reportSystemErrorAbout(description, std::string());
}

// The Windows entry takes the command line as UTF-16 and hands it on in UTF-8.
std::string toUtf8(const char* text) { return text; }
