// Application icons: the images of an .ico file, or the sizes made from one
// picture, and a PNG for the Linux desktop.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

/// One picture of an icon as an .ico file or an icon resource holds it: a
/// device-independent bitmap (header, colours, mask) or a whole PNG file.
struct IconImage {
  int width = 0;   ///< 1 to 256
  int height = 0;
  int colorCount = 0;  ///< palette entries, 0 for 256 or more
  int bitCount = 32;
  std::string data;
};

/// The sizes a picture is scaled to: those of the launcher's own icon.
extern const int iconSizes[9];

/// Limits of the icon input: the file's size, the images of an .ico file,
/// and a picture's width and height (checked in its header before it is
/// decoded).
constexpr unsigned long long maximumIconFileBytes = 16u << 20;
constexpr size_t maximumIconImages = 64;
constexpr int maximumPictureSide = 1024;

/// Reads an icon from FILE.ico or from a picture (PNG or another format the
/// image reader knows); see readIconImages.
bool loadIconImages(const std::string& path, std::vector<IconImage>* images,
                    std::string* error);

/// The images of an .ico file as they are, each checked to decode; or a
/// picture of at most maximumPictureSide pixels a side, made square and
/// scaled to iconSizes: 32-bit bitmaps, and 256 pixels stored as PNG. False
/// with the reason.
bool readIconImages(const std::string& data, std::vector<IconImage>* images,
                    std::string* error);

/// The largest image of `images` as a PNG file.
bool largestImageAsPng(const std::vector<IconImage>& images, std::string* png,
                       std::string* error);
