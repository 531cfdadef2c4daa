// Icons made with the stb image headers: reading pictures, scaling them and
// writing PNG.
#include "icon_image.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "file_util.h"

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_RESIZE_IMPLEMENTATION
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_NO_STDIO
#define STBI_WRITE_NO_STDIO
#include <stb_image.h>
#include <stb_image_resize.h>
#include <stb_image_write.h>

const int iconSizes[9] = {16, 24, 32, 48, 64, 72, 96, 128, 256};

namespace {

using Pixels = std::vector<unsigned char>;  // RGBA, top row first

uint32_t get16(const std::string& data, size_t at) {
  return static_cast<uint8_t>(data[at]) | static_cast<uint8_t>(data[at + 1]) << 8;
}

uint32_t get32(const std::string& data, size_t at) {
  return get16(data, at) | get16(data, at + 2) << 16;
}

void append16(std::string* out, uint32_t value) {
  *out += static_cast<char>(value & 0xff);
  *out += static_cast<char>(value >> 8 & 0xff);
}

void append32(std::string* out, uint32_t value) {
  append16(out, value & 0xffff);
  append16(out, value >> 16);
}

bool isPng(const std::string& data) { return data.compare(0, 8, "\x89PNG\r\n\x1a\n") == 0; }

bool isIco(const std::string& data) {
  return data.size() >= 6 && get16(data, 0) == 0 && get16(data, 2) == 1 && get16(data, 4) > 0;
}

bool readIco(const std::string& data, std::vector<IconImage>* images) {
  size_t count = get16(data, 4);
  if (data.size() < 6 + 16 * count) return false;
  for (size_t i = 0; i < count; ++i) {
    size_t entry = 6 + 16 * i;
    uint32_t size = get32(data, entry + 8), offset = get32(data, entry + 12);
    if (size == 0 || offset > data.size() || size > data.size() - offset) return false;
    IconImage image;
    image.width = static_cast<uint8_t>(data[entry]) ? static_cast<uint8_t>(data[entry]) : 256;
    image.height = static_cast<uint8_t>(data[entry + 1]) ? static_cast<uint8_t>(data[entry + 1]) : 256;
    image.colorCount = static_cast<uint8_t>(data[entry + 2]);
    image.bitCount = static_cast<int>(get16(data, entry + 6));
    image.data = data.substr(offset, size);
    images->push_back(image);
  }
  return true;
}

/// The picture centred on a transparent square.
Pixels squared(const unsigned char* rgba, int width, int height, int* side) {
  *side = std::max(width, height);
  Pixels square(static_cast<size_t>(*side) * *side * 4, 0);
  int left = (*side - width) / 2, top = (*side - height) / 2;
  for (int y = 0; y < height; ++y)
    std::memcpy(&square[(static_cast<size_t>(top + y) * *side + left) * 4],
                rgba + static_cast<size_t>(y) * width * 4, static_cast<size_t>(width) * 4);
  return square;
}

void appendBytes(void* context, void* data, int size) {
  static_cast<std::string*>(context)->append(static_cast<const char*>(data),
                                             static_cast<size_t>(size));
}

std::string pngOf(const Pixels& rgba, int width, int height) {
  std::string png;
  stbi_write_png_to_func(appendBytes, &png, width, height, 4, rgba.data(), width * 4);
  return png;
}

/// A 32-bit bitmap with an empty mask, as icon resources hold them.
std::string bitmapOf(const Pixels& rgba, int side) {
  size_t maskRow = static_cast<size_t>((side + 31) / 32) * 4;
  std::string dib;
  append32(&dib, 40);
  append32(&dib, static_cast<uint32_t>(side));
  append32(&dib, static_cast<uint32_t>(side * 2));
  append16(&dib, 1);
  append16(&dib, 32);
  append32(&dib, 0);
  append32(&dib, static_cast<uint32_t>(side * side * 4 + maskRow * side));
  dib.append(16, '\0');
  for (int y = side - 1; y >= 0; --y)
    for (int x = 0; x < side; ++x) {
      const unsigned char* pixel = &rgba[(static_cast<size_t>(y) * side + x) * 4];
      const char bgra[4] = {static_cast<char>(pixel[2]), static_cast<char>(pixel[1]),
                            static_cast<char>(pixel[0]), static_cast<char>(pixel[3])};
      dib.append(bgra, 4);
    }
  dib.append(maskRow * side, '\0');
  return dib;
}

bool scalePicture(const std::string& data, std::vector<IconImage>* images, std::string* error) {
  int width = 0, height = 0, channels = 0;
  std::unique_ptr<unsigned char, void (*)(void*)> rgba(
      stbi_load_from_memory(reinterpret_cast<const unsigned char*>(data.data()),
                            static_cast<int>(data.size()), &width, &height, &channels, 4),
      stbi_image_free);
  if (!rgba) {
    *error = std::string("not a readable picture (") + stbi_failure_reason() + ")";
    return false;
  }
  int side = 0;
  Pixels square = squared(rgba.get(), width, height, &side);
  for (int size : iconSizes) {
    Pixels scaled(static_cast<size_t>(size) * size * 4);
    stbir_resize_uint8_srgb(square.data(), side, side, 0, scaled.data(), size, size, 0, 4, 3, 0);
    IconImage image;
    image.width = image.height = size;
    image.data = size == 256 ? pngOf(scaled, size, size) : bitmapOf(scaled, size);
    images->push_back(image);
  }
  return true;
}

/// A bitmap of an icon as a BMP file: the file header added and the height
/// halved (an icon's bitmap counts its mask rows too).
std::string bmpFileOf(const std::string& dib) {
  std::string bitmap = dib;
  uint32_t height = get32(dib, 8) / 2, bits = get16(dib, 14), colors = get32(dib, 32);
  for (int i = 0; i < 4; ++i) bitmap[8 + i] = static_cast<char>(height >> (8 * i) & 0xff);
  if (colors == 0 && bits <= 8) colors = 1u << bits;
  std::string file = "BM";
  append32(&file, static_cast<uint32_t>(14 + bitmap.size()));
  append32(&file, 0);
  append32(&file, 14 + get32(dib, 0) + colors * 4);
  return file + bitmap;
}

}  // namespace

bool loadIconImages(const std::string& path, std::vector<IconImage>* images,
                    std::string* error) {
  std::string data;
  if (!readWholeFile(path, &data, error)) return false;
  if (isIco(data)) {
    if (readIco(data, images)) return true;
    *error = "damaged icon file";
    return false;
  }
  return scalePicture(data, images, error);
}

bool largestImageAsPng(const std::vector<IconImage>& images, std::string* png,
                       std::string* error) {
  auto largest = std::max_element(images.begin(), images.end(),
      [](const IconImage& a, const IconImage& b) { return a.width < b.width; });
  if (largest == images.end()) return false;
  if (isPng(largest->data)) {
    *png = largest->data;
    return true;
  }
  std::string bmp = largest->data.size() >= 40 ? bmpFileOf(largest->data) : "";
  int width = 0, height = 0, channels = 0;
  std::unique_ptr<unsigned char, void (*)(void*)> rgba(
      stbi_load_from_memory(reinterpret_cast<const unsigned char*>(bmp.data()),
                            static_cast<int>(bmp.size()), &width, &height, &channels, 4),
      stbi_image_free);
  if (!rgba) {
    *error = "its largest image cannot be read";
    return false;
  }
  *png = pngOf(Pixels(rgba.get(), rgba.get() + static_cast<size_t>(width) * height * 4),
               width, height);
  return true;
}
