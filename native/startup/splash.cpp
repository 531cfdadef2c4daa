#include "splash.h"

#include <climits>

#include "splash_library.h"
#include "whole_file.h"

namespace {

bool isKnownImage(const std::string& bytes) {
  return bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") == 0 || bytes.compare(0, 4, "GIF8") == 0 ||
         bytes.compare(0, 3, "\xff\xd8\xff") == 0;
}

}  // namespace

std::string showSplashScreen(const std::string& runtimeHome, const std::string& imagePath) {
  // The library keeps no copy of what it is given before its thread runs,
  // so the image and its name live as long as the process.
  static std::string image;
  static std::string name;
  std::string error;
  if (!readWholeFile(imagePath, &image, &error) || image.empty())
    return "cannot read the splash image " + imagePath;
  if (!isKnownImage(image))
    return "the splash image " + imagePath + " is not a PNG, GIF or JPEG image";
  if (image.size() > INT_MAX) return "the splash image " + imagePath + " is too large";
  SplashEntryPoints splash;
  if (!loadSplashLibrary(runtimeHome, &splash, &error))
    return "cannot show the splash image: " + error;
  name = imagePath;
  splash.init();
  splash.setScaleFactor(1.0f);
  if (!splash.loadMemory(&image[0], static_cast<int>(image.size())))
    return "cannot show the splash image " + imagePath + " (no display, or a damaged image)";
  // Loading resets the names, so they are given once the image is shown.
  splash.setFileJarName(name.c_str(), nullptr);
  return std::string();
}
