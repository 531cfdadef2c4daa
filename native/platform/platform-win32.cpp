#include "platform.h"

#include <windows.h>

#include <iostream>
#include <vector>

const char* const vmRuntimeLibraryPath = "jre\\bin\\server\\jvm.dll";

namespace {

/// The text in UTF-16 via `codePage`; empty when the conversion fails.
std::vector<wchar_t> toWide(UINT codePage, const char* text) {
  int length = MultiByteToWideChar(codePage, 0, text, -1, nullptr, 0);
  if (length == 0) return {};
  std::vector<wchar_t> wide(static_cast<size_t>(length));
  if (MultiByteToWideChar(codePage, 0, text, -1, wide.data(), length) == 0) return {};
  return wide;
}

/// The system's text for an error code, with its CR LF line end turned into
/// the '\n' that the text-mode standard error stream writes as CR LF again.
/// English first; empty when the system has no text for the code.
std::string systemErrorText(DWORD code) {
  const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                      FORMAT_MESSAGE_IGNORE_INSERTS;
  char* buffer = nullptr;
  DWORD length = FormatMessageA(flags, nullptr, code,
                                MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                                reinterpret_cast<LPSTR>(&buffer), 0, nullptr);
  // A system without English messages still has its own language's text.
  if (length == 0)
    length = FormatMessageA(flags, nullptr, code, 0, reinterpret_cast<LPSTR>(&buffer), 0,
                            nullptr);
  std::string text;
  for (DWORD i = 0; buffer && i < length; ++i)
    if (!(buffer[i] == '\r' && i + 1 < length && buffer[i + 1] == '\n')) text += buffer[i];
  LocalFree(buffer);
  return text;
}

}  // namespace

bool changeWorkingDirectory(const std::string& directory) {
  // The path is in the ANSI code page, as the command line gave it.
  std::vector<wchar_t> wide = toWide(CP_ACP, directory.c_str());
  return !wide.empty() && SetCurrentDirectoryW(wide.data()) != 0;
}

bool setEnvironmentVariable(const std::string& name, const std::string& value) {
  return SetEnvironmentVariableA(name.c_str(), value.c_str()) != 0;
}

std::string executablePath() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return std::string();
    if (length < buffer.size()) break;
    buffer.resize(buffer.size() * 2);
  }
  int size = WideCharToMultiByte(CP_UTF8, 0, buffer.data(), -1, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return std::string();
  std::vector<char> bytes(static_cast<size_t>(size));
  WideCharToMultiByte(CP_UTF8, 0, buffer.data(), -1, bytes.data(), size, nullptr, nullptr);
  return std::string(bytes.data());
}

std::string userLocalDataDirectory() {
  DWORD length = GetEnvironmentVariableW(L"LOCALAPPDATA", nullptr, 0);
  if (length == 0) return std::string();
  std::vector<wchar_t> buffer(length);
  if (GetEnvironmentVariableW(L"LOCALAPPDATA", buffer.data(), length) == 0) return std::string();
  int size = WideCharToMultiByte(CP_UTF8, 0, buffer.data(), -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return std::string();
  std::vector<char> bytes(static_cast<size_t>(size));
  WideCharToMultiByte(CP_UTF8, 0, buffer.data(), -1, bytes.data(), size, nullptr, nullptr);
  return std::string(bytes.data());
}

bool loadVmRuntimeLibrary(const std::string& runtimeHome, VmEntryPoints* entryPoints) {
  // The runtime's own libraries (java.dll and others) live in jre\bin.
  const std::string binDirectory = runtimeHome + "\\bin";
  if (!SetDllDirectoryA(binDirectory.c_str())) {
    reportSystemError("SetDllDirectory");
    return false;
  }
  const std::string path = binDirectory + "\\server\\jvm.dll";
  HMODULE library = LoadLibraryA(path.c_str());
  if (!library) {
    reportSystemError("load jvm.dll");
    return false;
  }
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

void reportSystemError(const char* description) {
  DWORD code = GetLastError();  // before any other call can change it
  std::string text = systemErrorText(code);
  // The fatal line that follows must start a line of its own.
  if (text.empty()) text = "no description available";
  if (text.back() != '\n') text += '\n';
  std::cerr << "Error code [" << static_cast<unsigned long>(code) << "] when trying to "
            << description << ": " << text << std::flush;
}

std::string toUtf8(const char* text) {
  std::vector<wchar_t> wide = toWide(CP_ACP, text);
  if (wide.empty()) return text;
  int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), -1, nullptr, 0, nullptr, nullptr);
  if (length == 0) return text;
  std::vector<char> bytes(static_cast<size_t>(length));
  if (WideCharToMultiByte(CP_UTF8, 0, wide.data(), -1, bytes.data(), length, nullptr,
                          nullptr) == 0)
    return text;
  return std::string(bytes.data());
}
