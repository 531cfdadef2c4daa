// Fuzzes vantrel-pack's icon input: each input is read as an .ico file or a
// picture. A refusal must give a reason; an icon that was read has images
// of 1 to 256 pixels a side, and its largest image becomes a PNG file.
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "icon_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  std::vector<IconImage> images;
  std::string error;
  if (!readIconImages(input, &images, &error)) {
    check(!error.empty());
    return 0;
  }
  check(!images.empty());
  for (const IconImage& image : images)
    check(image.width >= 1 && image.width <= 256 && image.height >= 1 && image.height <= 256);
  std::string png;
  check(largestImageAsPng(images, &png, &error) && png.compare(0, 4, "\x89PNG") == 0);
  return 0;
}
