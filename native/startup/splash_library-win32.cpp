#include "splash_library.h"

#include <windows.h>

namespace {

template <typename Function>
bool lookUp(HMODULE library, const char* name, Function* function, std::string* error) {
  *function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
  if (!*function) *error = std::string("no ") + name + " in the splash library";
  return *function != nullptr;
}

std::wstring wide(const std::string& text) {
  int length = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
  if (length <= 0) return std::wstring();
  std::wstring result(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, &result[0], length);
  result.resize(static_cast<size_t>(length - 1));
  return result;
}

}  // namespace

bool loadSplashLibrary(const std::string& runtimeHome, SplashEntryPoints* entryPoints,
                       std::string* error) {
  const std::string path = runtimeHome + "\\bin\\splashscreen.dll";
  HMODULE library = LoadLibraryW(wide(path).c_str());
  if (!library) {
    *error = "cannot load " + path + " (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  return lookUp(library, "SplashInit", &entryPoints->init, error) &&
         lookUp(library, "SplashSetScaleFactor", &entryPoints->setScaleFactor, error) &&
         lookUp(library, "SplashLoadMemory", &entryPoints->loadMemory, error) &&
         lookUp(library, "SplashSetFileJarName", &entryPoints->setFileJarName, error);
}
