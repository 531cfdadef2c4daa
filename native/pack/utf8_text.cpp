// A UTF-8 decoder that takes one code point at a time and says where the
// text is ill-formed.
#include "utf8_text.h"

#include <cstdint>
#include <cstdio>

namespace {

constexpr uint32_t invalid = 0xffffffffu;

/// The code point at `*at`, moving `*at` past it; `invalid` (and one byte
/// on) when the bytes there are not well-formed UTF-8.
uint32_t nextCodePoint(std::string_view text, size_t* at) {
  auto lead = static_cast<unsigned char>(text[*at]);
  size_t length = lead < 0x80 ? 1 : lead >> 5 == 6 ? 2 : lead >> 4 == 14 ? 3 : lead >> 3 == 30 ? 4 : 0;
  if (length == 0 || length > text.size() - *at) {
    ++*at;
    return invalid;
  }
  uint32_t code = length == 1 ? lead : lead & (0x7fu >> length);
  for (size_t k = 1; k < length; ++k) {
    auto next = static_cast<unsigned char>(text[*at + k]);
    if ((next & 0xc0) != 0x80) {
      ++*at;
      return invalid;
    }
    code = code << 6 | (next & 0x3f);
  }
  static const uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (code < smallest[length] || code > 0x10ffff || (code >= 0xd800 && code < 0xe000)) {
    ++*at;
    return invalid;
  }
  *at += length;
  return code;
}

}  // namespace

bool isUtf8(std::string_view text) {
  for (size_t at = 0; at < text.size();)
    if (nextCodePoint(text, &at) == invalid) return false;
  return true;
}

std::string shownUtf8(std::string_view text) {
  std::string shown;
  for (size_t at = 0; at < text.size();) {
    size_t start = at;
    if (nextCodePoint(text, &at) != invalid) {
      shown.append(text.substr(start, at - start));
      continue;
    }
    char escape[8];
    std::snprintf(escape, sizeof escape, "\\x%02x", static_cast<unsigned char>(text[start]));
    shown += escape;
  }
  return shown;
}

std::u16string utf16Of(std::string_view text) {
  std::u16string wide;
  for (size_t at = 0; at < text.size();) {
    uint32_t code = nextCodePoint(text, &at);
    if (code == invalid) code = 0xfffd;
    if (code >= 0x10000) {
      wide += static_cast<char16_t>(0xd800 + ((code - 0x10000) >> 10));
      wide += static_cast<char16_t>(0xdc00 + (code & 0x3ff));
    } else {
      wide += static_cast<char16_t>(code);
    }
  }
  return wide;
}
