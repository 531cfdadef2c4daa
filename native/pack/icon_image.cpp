// Icons made with the stb image headers: reading pictures, scaling them and
// writing PNG. What reaches the decoder has been measured first: an .ico
// file's directory and each image's header, a picture's width and height.
#include "icon_image.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <memory>

#include "bytes.h"
#include "file_util.h"

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_RESIZE_IMPLEMENTATION
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_NO_STDIO
#define STBI_WRITE_NO_STDIO
// The decoder's own limit, behind the header checks below, and only the
// formats icons come in: fewer decoders, less to go wrong with hostile input.
// Not JPEG: its lossy pictures make poor icons, and its decoder reads out of
// bounds on damaged files.
#define STBI_MAX_DIMENSIONS 1024
#define STBI_ONLY_PNG
#define STBI_ONLY_BMP
#define STBI_ONLY_GIF
#include <stb_image.h>
#include <stb_image_resize.h>
#include <stb_image_write.h>

const int iconSizes[9] = {16, 24, 32, 48, 64, 72, 96, 128, 256};

namespace {

static_assert(STBI_MAX_DIMENSIONS == maximumPictureSide, "one limit for pictures");

using bytes::append16;
using bytes::append32;
using bytes::fits;
using bytes::le16;
using bytes::le32;
using Pixels = std::vector<unsigned char>;  // RGBA, top row first

// Field offsets of an .ico file's header and directory entries, and of a
// bitmap's BITMAPINFOHEADER.
namespace ico {
constexpr size_t reserved = 0, type = 2, count = 4, size = 6;
constexpr size_t entrySize = 16, width = 0, height = 1, colorCount = 2, bitCount = 6,
                 bytesInImage = 8, imageOffset = 12;
}  // namespace ico
namespace dib {
constexpr size_t headerSize = 0, width = 4, height = 8, planes = 12, bitCount = 14,
                 compression = 16, colorsUsed = 32, minimumHeader = 40;
constexpr uint32_t plain = 0, bitFields = 3;
}  // namespace dib
/// Icon images are at most 256 pixels a side.
constexpr uint32_t maximumIconSide = 256;

const char pngSignature[] = "\x89PNG\r\n\x1a\n";

bool fail(std::string* error, const std::string& reason) {
  *error = reason;
  return false;
}

bool isPng(const std::string& data) { return data.compare(0, 8, pngSignature) == 0; }

bool isJpeg(const std::string& data) { return data.compare(0, 3, "\xff\xd8\xff") == 0; }

bool isIco(const std::string& data) {
  return fits(data, 0, ico::size) && le16(data, ico::reserved) == 0 && le16(data, ico::type) == 1 &&
         le16(data, ico::count) > 0;
}

/// The chunks of a PNG file lie inside it and its data chunks are not
/// empty (the decoder trips over an empty one).
bool pngChunksFit(const std::string& png) {
  constexpr size_t lengthAndType = 8, checksum = 4;
  uint64_t at = 8;
  while (fits(png, at, lengthAndType)) {
    uint32_t length = bytes::be32(png, at);
    if (length == 0 && png.compare(at + 4, 4, "IDAT") == 0) return false;
    if (png.compare(at + 4, 4, "IEND") == 0) return true;
    at += lengthAndType + uint64_t{length} + checksum;
  }
  return at == png.size();
}

/// Width and height from a PNG's IHDR chunk, which must come first.
bool pngSize(const std::string& png, uint32_t* width, uint32_t* height) {
  constexpr size_t chunkLength = 8, chunkType = 12, ihdrWidth = 16, ihdrHeight = 20;
  if (!fits(png, 0, 24) || !isPng(png) || bytes::be32(png, chunkLength) != 13 ||
      png.compare(chunkType, 4, "IHDR") != 0 || !pngChunksFit(png))
    return false;
  *width = bytes::be32(png, ihdrWidth);
  *height = bytes::be32(png, ihdrHeight);
  return true;
}

std::string sizeText(uint32_t width, uint32_t height) {
  return std::to_string(width) + "x" + std::to_string(height);
}

/// The width and height of a picture, from its header only.
bool pictureSize(const std::string& data, uint32_t* width, uint32_t* height, std::string* error) {
  if (isPng(data)) {
    if (pngSize(data, width, height)) return true;
    return fail(error, "a damaged PNG picture");
  }
  if (isJpeg(data))
    return fail(error, "it is a JPEG picture; icons are made from .ico files and PNG, GIF or BMP "
                       "pictures");
  int w = 0, h = 0, channels = 0;
  if (!stbi_info_from_memory(reinterpret_cast<const unsigned char*>(data.data()),
                             static_cast<int>(data.size()), &w, &h, &channels))
    return fail(error, std::string("not a readable picture (") + stbi_failure_reason() + ")");
  *width = static_cast<uint32_t>(w);
  *height = static_cast<uint32_t>(h);
  return true;
}

using Decoded = std::unique_ptr<unsigned char, void (*)(void*)>;

/// The picture in `data` as RGBA pixels.
Decoded decoded(const std::string& data, int* width, int* height) {
  int channels = 0;
  return Decoded(stbi_load_from_memory(reinterpret_cast<const unsigned char*>(data.data()),
                                       static_cast<int>(data.size()), width, height, &channels, 4),
                 stbi_image_free);
}

/// The palette entries of a bitmap with `bits` per pixel, or -1 when
/// it says more than its pixels can use.
int64_t paletteSize(uint32_t bits, uint32_t used) {
  if (bits > 8) return used <= 256 ? used : -1;
  return used == 0 ? int64_t{1} << bits : used <= (1u << bits) ? used : -1;
}

/// The bytes before a bitmap's pixels: its header, the colour masks of a
/// plain header with bit fields, the palette.
uint64_t pixelOffset(const std::string& bitmap) {
  uint32_t header = le32(bitmap, dib::headerSize);
  bool masks = le32(bitmap, dib::compression) == dib::bitFields && header == dib::minimumHeader;
  return header + (masks ? 12 : 0) +
         4 * static_cast<uint64_t>(paletteSize(le16(bitmap, dib::bitCount),
                                               le32(bitmap, dib::colorsUsed)));
}

/// A bitmap of an icon: header, palette, colour rows and mask rows, each
/// inside the data. Its height counts both the colour and the mask rows.
bool checkBitmap(const std::string& bitmap, std::string* error) {
  if (!fits(bitmap, 0, dib::minimumHeader)) return fail(error, "a damaged bitmap");
  uint32_t header = le32(bitmap, dib::headerSize), width = le32(bitmap, dib::width);
  uint32_t height = le32(bitmap, dib::height), bits = le16(bitmap, dib::bitCount);
  uint32_t compression = le32(bitmap, dib::compression);
  bool knownBits = bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
  if (header < dib::minimumHeader || header > bitmap.size() || le16(bitmap, dib::planes) != 1 ||
      !knownBits || paletteSize(bits, le32(bitmap, dib::colorsUsed)) < 0 ||
      !(compression == dib::plain || (compression == dib::bitFields && (bits == 16 || bits == 32))))
    return fail(error, "a damaged or compressed bitmap");
  if (width == 0 || width > maximumIconSide || height < 2 || height > 2 * maximumIconSide ||
      height % 2)
    return fail(error, "a bitmap of " + sizeText(width, height / 2) + " pixels");
  uint64_t rows = height / 2, colorRow = (uint64_t{width} * bits + 31) / 32 * 4;
  uint64_t maskRow = (uint64_t{width} + 31) / 32 * 4;
  if (pixelOffset(bitmap) + rows * (colorRow + maskRow) > bitmap.size())
    return fail(error, "a bitmap shorter than its pixels");
  return true;
}

/// A bitmap of an icon as a BMP file: the file header added and the height
/// halved (an icon's bitmap counts its mask rows too).
std::string bmpFileOf(const std::string& bitmap) {
  std::string file = "BM";
  append32(&file, static_cast<uint32_t>(14 + bitmap.size()));
  append32(&file, 0);
  append32(&file, static_cast<uint32_t>(14 + pixelOffset(bitmap)));
  file += bitmap;
  bytes::put32(&file, 14 + dib::height, le32(bitmap, dib::height) / 2);
  return file;
}

/// One image of an .ico file decodes: a PNG or a bitmap of at most 256
/// pixels a side.
bool checkIconImage(const IconImage& image, std::string* error) {
  if (isPng(image.data)) {
    uint32_t width = 0, height = 0;
    if (!pngSize(image.data, &width, &height)) return fail(error, "a damaged PNG picture");
    if (width == 0 || height == 0 || width > maximumIconSide || height > maximumIconSide)
      return fail(error, "a PNG picture of " + sizeText(width, height) + " pixels");
  } else if (!checkBitmap(image.data, error)) {
    return false;
  }
  int width = 0, height = 0;
  if (decoded(isPng(image.data) ? image.data : bmpFileOf(image.data), &width, &height))
    return true;
  return fail(error, std::string("a picture that cannot be decoded (") + stbi_failure_reason() + ")");
}

bool readIco(const std::string& data, std::vector<IconImage>* images, std::string* error) {
  size_t count = le16(data, ico::count);
  if (count > maximumIconImages)
    return fail(error, "it has " + std::to_string(count) + " images; at most " +
                           std::to_string(maximumIconImages) + " are supported");
  if (!fits(data, ico::size, ico::entrySize * count)) return fail(error, "damaged icon file");
  uint64_t total = 0;  // images may share bytes: their sum is bounded too
  for (size_t i = 0; i < count; ++i) {
    size_t entry = ico::size + ico::entrySize * i;
    uint32_t size = le32(data, entry + ico::bytesInImage), offset = le32(data, entry + ico::imageOffset);
    if (size == 0 || !fits(data, offset, size)) return fail(error, "damaged icon file");
    total += size;
    if (total > maximumIconFileBytes)
      return fail(error, "its images hold more than " +
                             std::to_string(maximumIconFileBytes >> 20) + " MiB");
    IconImage image;
    // A side of 0 stands for 256.
    image.width = static_cast<int>(bytes::byteAt(data, entry + ico::width));
    image.height = static_cast<int>(bytes::byteAt(data, entry + ico::height));
    if (image.width == 0) image.width = 256;
    if (image.height == 0) image.height = 256;
    image.colorCount = static_cast<int>(bytes::byteAt(data, entry + ico::colorCount));
    image.bitCount = static_cast<int>(le16(data, entry + ico::bitCount));
    image.data = data.substr(offset, size);
    if (!checkIconImage(image, error))
      return fail(error, "its image " + std::to_string(i + 1) + " is " + *error);
    images->push_back(std::move(image));
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

std::string pngOf(const unsigned char* rgba, int width, int height) {
  std::string png;
  stbi_write_png_to_func(appendBytes, &png, width, height, 4, rgba, width * 4);
  return png;
}

/// A 32-bit bitmap with an empty mask, as icon resources hold them.
std::string bitmapOf(const Pixels& rgba, int side) {
  size_t maskRow = static_cast<size_t>((side + 31) / 32) * 4;
  std::string bitmap;
  append32(&bitmap, dib::minimumHeader);
  append32(&bitmap, static_cast<uint32_t>(side));
  append32(&bitmap, static_cast<uint32_t>(side * 2));
  append16(&bitmap, 1);
  append16(&bitmap, 32);
  append32(&bitmap, dib::plain);
  append32(&bitmap, static_cast<uint32_t>(size_t{4} * side * side + maskRow * side));
  bitmap.append(16, '\0');
  for (int y = side - 1; y >= 0; --y)
    for (int x = 0; x < side; ++x) {
      const unsigned char* pixel = &rgba[(static_cast<size_t>(y) * side + x) * 4];
      const char bgra[4] = {static_cast<char>(pixel[2]), static_cast<char>(pixel[1]),
                            static_cast<char>(pixel[0]), static_cast<char>(pixel[3])};
      bitmap.append(bgra, 4);
    }
  bitmap.append(maskRow * side, '\0');
  return bitmap;
}

bool scalePicture(const std::string& data, std::vector<IconImage>* images, std::string* error) {
  uint32_t width = 0, height = 0;
  if (!pictureSize(data, &width, &height, error)) return false;
  if (width == 0 || height == 0 || width > maximumPictureSide || height > maximumPictureSide)
    return fail(error, "the picture is " + sizeText(width, height) + " pixels; at most " +
                           sizeText(maximumPictureSide, maximumPictureSide) + " are supported");
  int w = 0, h = 0;
  Decoded rgba = decoded(data, &w, &h);
  if (!rgba) return fail(error, std::string("not a readable picture (") + stbi_failure_reason() + ")");
  int side = 0;
  Pixels square = squared(rgba.get(), w, h, &side);
  // A large picture is scaled once to the largest size, the others are made
  // from that: one pass over its pixels instead of one per size.
  int largest = iconSizes[std::size(iconSizes) - 1];
  if (side > largest) {
    Pixels scaled(static_cast<size_t>(largest) * largest * 4);
    stbir_resize_uint8_srgb(square.data(), side, side, 0, scaled.data(), largest, largest, 0, 4,
                            3, 0);
    square.swap(scaled);
    side = largest;
  }
  for (int size : iconSizes) {
    Pixels scaled(static_cast<size_t>(size) * size * 4);
    stbir_resize_uint8_srgb(square.data(), side, side, 0, scaled.data(), size, size, 0, 4, 3, 0);
    IconImage image;
    image.width = image.height = size;
    image.data = size == 256 ? pngOf(scaled.data(), size, size) : bitmapOf(scaled, size);
    images->push_back(image);
  }
  return true;
}

}  // namespace

bool readIconImages(const std::string& data, std::vector<IconImage>* images,
                    std::string* error) {
  if (data.size() > maximumIconFileBytes)
    return fail(error, "it is larger than " + std::to_string(maximumIconFileBytes >> 20) + " MiB");
  return isIco(data) ? readIco(data, images, error) : scalePicture(data, images, error);
}

bool loadIconImages(const std::string& path, std::vector<IconImage>* images,
                    std::string* error) {
  std::string data;
  return readFileUpTo(path, maximumIconFileBytes, &data, error) &&
         readIconImages(data, images, error);
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
  int width = 0, height = 0;
  Decoded rgba(nullptr, stbi_image_free);
  if (checkBitmap(largest->data, error)) rgba = decoded(bmpFileOf(largest->data), &width, &height);
  if (!rgba) return fail(error, "its largest image cannot be read");
  *png = pngOf(rgba.get(), width, height);
  return true;
}
