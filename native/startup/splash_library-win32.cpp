#include "splash_library.h"

#include <windows.h>

#include "wide_text-win32.h"

namespace {

template <typename Function>
bool lookUp(HMODULE library, const char* name, Function* function, std::string* error) {
  *function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
  if (!*function) *error = std::string("no ") + name + " in the splash library";
  return *function != nullptr;
}

}  // namespace

bool loadSplashLibrary(const std::string& runtimeHome, SplashEntryPoints* entryPoints,
                       std::string* error) {
  const std::string path = runtimeHome + "\\bin\\splashscreen.dll";
  HMODULE library = LoadLibraryW(wideFromUtf8(path).c_str());
  if (!library) {
    *error = "cannot load " + path + " (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  return lookUp(library, "SplashInit", &entryPoints->init, error) &&
         lookUp(library, "SplashSetScaleFactor", &entryPoints->setScaleFactor, error) &&
         lookUp(library, "SplashLoadMemory", &entryPoints->loadMemory, error) &&
         lookUp(library, "SplashSetFileJarName", &entryPoints->setFileJarName, error);
}
