// Conversion of a JSON number literal into its number word.
#pragma once

#include <cstdint>
#include <cstring>

#include "json.h"
#include "json_scan.h"

struct NumberScan {
  Byte* end;      ///< first byte after the literal; null when the text ended
  uint64_t word;  ///< the number word: int32 in the low bits, or binary64 bits
  JsonType type;  ///< JsonType::Integer or JsonType::Double
};

/// A digit string stays a 32-bit integer exactly when its value is at most
/// this (taking digits while the value is at most 214748355).
constexpr uint64_t kJsonLargestInteger = 2147483559;

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
constexpr bool kJsonEightBytesAtOnce = false;
#else
constexpr bool kJsonEightBytesAtOnce = true;
#endif

/// The eight bytes at `p`, the first one in the lowest bits.
inline uint64_t loadEight(const Byte* p) {
  uint64_t bytes;
  std::memcpy(&bytes, p, sizeof bytes);
  return bytes;
}

/// The top bit of every byte that is no digit; exact for the lowest such
/// byte (carries only run towards later bytes).
inline uint64_t nonDigitBytes(uint64_t bytes) {
  return ((bytes + 0x4646464646464646) | (bytes - 0x3030303030303030)) &
         0x8080808080808080;
}

/// Value of eight digit characters, the first one most significant.
inline uint64_t eightDigitValue(uint64_t bytes) {
  bytes -= 0x3030303030303030;
  bytes = bytes * 10 + (bytes >> 8);  // pairs of digits
  const uint64_t pairs = 0x000000FF000000FF;
  return (((bytes & pairs) * (100 + (1000000ull << 32))) +
          (((bytes >> 16) & pairs) * (1 + (10000ull << 32)))) >> 32;
}

/// First byte at or after `p` that is not a digit (or `end`).
inline Byte* skipDigits(Byte* p, const Byte* end) {
  if (kJsonEightBytesAtOnce) {
    while (end - p >= 8) {
      uint64_t other = nonDigitBytes(loadEight(p));
      if (other != 0) return p + (countTrailingZeros64(other) >> 3);
      p += 8;
    }
  }
  while (p != end && isDigit(*p)) ++p;
  return p;
}

/// Value of the `count` (at most 9) digits at `p`.
inline uint32_t shortDigitValue(const Byte* p, size_t count, const Byte* end) {
  if (kJsonEightBytesAtOnce && count - 1 < 8 && end - p >= 8) {
    // The digits move to the top bytes; the bytes below read as "0".
    uint64_t digits = loadEight(p) << (8 * (8 - count));
    uint64_t zeros = count == 8 ? 0 : 0x3030303030303030ull >> (8 * count);
    return static_cast<uint32_t>(eightDigitValue(digits | zeros));
  }
  uint32_t value = 0;
  for (size_t i = 0; i < count; ++i) value = value * 10 + (p[i] - '0');
  return value;
}

/// Continues a literal that is not a short integer: `digits` to `p` is its
/// run of integer digits, `p` stands at the byte after them.
NumberScan scanLongNumber(Byte* digits, Byte* p, const Byte* end, bool negative);

/// Reads the number literal at `p` ("-" or a digit). The literal may not
/// reach `end`: something must follow a number in a complete document.
inline NumberScan scanNumber(Byte* p, const Byte* end) {
  bool negative = *p == '-';
  if (negative && ++p == end) return NumberScan{nullptr, 0, JsonType::Integer};
  Byte* digits = p;
  p = skipDigits(p, end);
  if (p == end) return NumberScan{nullptr, 0, JsonType::Integer};
  size_t count = static_cast<size_t>(p - digits);
  if (count > 9 || *p == '.' || (*p | 0x20) == 'e')
    return scanLongNumber(digits, p, end, negative);
  // At most 999999999: the negation fits in 32 bits.
  int32_t value = static_cast<int32_t>(shortDigitValue(digits, count, end));
  if (negative) value = -value;
  return NumberScan{p, static_cast<uint32_t>(value), JsonType::Integer};
}
