#include "platform.h"

#include <windows.h>

#include <iostream>
#include <vector>

#include "wide_text-win32.h"

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

/// True when the process's code page spells `path` exactly: the Java runtime
/// finds its own files through the narrow API.
bool spellable(const std::wstring& path) {
  std::string narrow;
  return toCodePage(path, GetACP(), &narrow);
}

/// `path`, or its short (8.3) form when only that one is spellable.
std::wstring spellablePath(const std::wstring& path) {
  if (spellable(path)) return path;
  DWORD length = GetShortPathNameW(path.c_str(), nullptr, 0);
  if (length == 0) return path;
  std::wstring shortPath(length, L'\0');
  length = GetShortPathNameW(path.c_str(), &shortPath[0], length);
  shortPath.resize(length);
  return length > 0 && spellable(shortPath) ? shortPath : path;
}

/// A module's file name; empty when unknown.
std::wstring moduleFileName(HMODULE module) {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    DWORD length = GetModuleFileNameW(module, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return std::wstring();
    if (length < buffer.size()) return std::wstring(buffer.data(), length);
    buffer.resize(buffer.size() * 2);
  }
}

/// False, after saying why, when the Java runtime cannot start from `home`:
/// it finds its own files through the narrow API, by their long names (a
/// short name, where the volume has them, is expanded again on the way).
bool runtimeCanUse(const std::wstring& home) {
  std::wstring longHome(GetLongPathNameW(home.c_str(), nullptr, 0), L'\0');
  longHome.resize(GetLongPathNameW(home.c_str(), &longHome[0], static_cast<DWORD>(longHome.size())));
  if (longHome.empty()) longHome = home;  // a missing runtime is reported on loading
  if (spellable(longHome)) return true;
  std::cerr << "Error: the Java runtime cannot start from " << utf8FromWide(longHome)
            << ": the path has characters that the system's code page (" << GetACP()
            << ") cannot represent; install the application in a folder whose path has "
               "none of them"
            << std::endl;
  return false;
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
  // By its short name, where needed, the folder keeps a name the Java
  // runtime's narrow API can use.
  return !wide.empty() && SetCurrentDirectoryW(spellablePath(wide).c_str()) != 0;
}

bool setEnvironmentVariable(const std::string& name, const std::string& value) {
  return SetEnvironmentVariableW(wideFromUtf8(name).c_str(), wideFromUtf8(value).c_str()) != 0;
}

std::string executablePath() { return utf8FromWide(moduleFileName(nullptr)); }

bool loadVmRuntimeLibrary(const std::string& runtimeHome, const std::string& library,
                          VmEntryPoints* entryPoints) {
  // The runtime's own libraries (java.dll and others) live in jre\bin. Both
  // paths are made absolute: LoadLibrary would search for a relative one
  // along the search path, PATH included.
  const std::wstring home = absolutePath(runtimeHome);
  if (!runtimeCanUse(home)) return false;
  const std::wstring binDirectory = home + L"\\bin";
  if (!SetDllDirectoryW(binDirectory.c_str())) {
    reportSystemErrorAbout("SetDllDirectory", utf8FromWide(binDirectory));
    return false;
  }
  const std::wstring path = home + L"\\" + wideFromUtf8(library);
  HMODULE loaded = LoadLibraryExW(path.c_str(), nullptr, 0);
  if (!loaded) {
    reportSystemErrorAbout(("load " + library.substr(library.rfind('\\') + 1)).c_str(),
                           utf8FromWide(path));
    return false;
  }
  return findEntryPoints(loaded, entryPoints);
}

void reportSystemError(const char* description) {
  reportSystemErrorAbout(description, std::string());
}

void printLine(const std::string& line) { std::cout << line << std::endl; }

void releaseFreeMemory() {}

void printErrorLine(const std::string& line) { std::cerr << line << std::endl; }

// The Windows entry takes the command line as UTF-16 and hands it on in UTF-8.
std::string toUtf8(const char* text) { return text; }
