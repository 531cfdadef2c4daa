#include "splash.h"

#include <climits>

#include "file_system.h"
#include "splash_library.h"

std::string showSplashScreen(const std::string& runtimeHome, const std::string& imagePath) {
  // The library keeps no copy of what it is given before its thread runs,
  // so the image and its name live as long as the process.
  static std::string image;
  static std::string name;
  if (!readWholeFile(imagePath, image) || image.empty())
    return "cannot read the splash image " + imagePath;
  if (image.size() > INT_MAX) return "the splash image " + imagePath + " is too large";
  SplashEntryPoints splash;
  std::string error;
  if (!loadSplashLibrary(runtimeHome, &splash, &error))
    return "cannot show the splash image: " + error;
  name = imagePath;
  splash.init();
  splash.setScaleFactor(1.0f);
  splash.setFileJarName(name.c_str(), nullptr);
  if (!splash.loadMemory(&image[0], static_cast<int>(image.size())))
    return "cannot show the splash image " + imagePath + ": not a PNG, GIF or JPEG image";
  return std::string();
}
