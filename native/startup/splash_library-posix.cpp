#include "splash_library.h"

#include <dlfcn.h>

namespace {

template <typename Function>
bool lookUp(void* library, const char* name, Function* function, std::string* error) {
  *function = reinterpret_cast<Function>(dlsym(library, name));
  if (!*function) *error = std::string("no ") + name + " in the splash library";
  return *function != nullptr;
}

}  // namespace

bool loadSplashLibrary(const std::string& runtimeHome, SplashEntryPoints* entryPoints,
                       std::string* error) {
  // The same file that the VM loads for java.awt.SplashScreen, so that both
  // see one splash screen.
  const std::string path = runtimeHome + "/lib/libsplashscreen.so";
  void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_GLOBAL);
  if (!library) {
    const char* text = dlerror();
    *error = text ? text : "cannot load " + path;
    return false;
  }
  return lookUp(library, "SplashInit", &entryPoints->init, error) &&
         lookUp(library, "SplashSetScaleFactor", &entryPoints->setScaleFactor, error) &&
         lookUp(library, "SplashLoadMemory", &entryPoints->loadMemory, error) &&
         lookUp(library, "SplashSetFileJarName", &entryPoints->setFileJarName, error);
}
