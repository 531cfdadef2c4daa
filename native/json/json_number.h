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

/// Value of the first `count` (1 to 8) digits of `bytes`.
inline uint64_t leadingDigitsValue(uint64_t bytes, size_t count) {
  // The digits move to the top bytes; the bytes below them read as "0".
  uint64_t zeros = count == 8 ? 0 : 0x3030303030303030ull >> (8 * count);
  return eightDigitValue((bytes << (8 * (8 - count))) | zeros);
}

/// Reads a literal that is not a short integer; `digits` is its first byte
/// after the sign.
NumberScan scanLongNumber(Byte* digits, const Byte* end, bool negative);

/// Reads the number literal at `p` ("-" or a digit). The literal may not
/// reach `end`: something must follow a number in a complete document.
inline NumberScan scanNumber(Byte* p, const Byte* end) {
  bool negative = *p == '-';
  if (negative && ++p == end) return NumberScan{nullptr, 0, JsonType::Integer};
  if (kJsonEightBytesAtOnce && end - p >= 10) {
    // Fast path: at most nine digits, followed by neither "." nor an
    // exponent, always fit.
    uint64_t bytes = loadEight(p);
    uint64_t other = nonDigitBytes(bytes);
    size_t count = other != 0 ? static_cast<size_t>(countTrailingZeros64(other) >> 3)
                              : isDigit(p[8]) ? 9 : 8;
    Byte next = p[count];
    if (!isDigit(next) && next != '.' && (next | 0x20) != 'e') {
      uint64_t value = count == 0   ? 0
                       : count < 9 ? leadingDigitsValue(bytes, count)
                                   : eightDigitValue(bytes) * 10 + (p[8] - '0');
      int32_t integer = static_cast<int32_t>(value);
      if (negative) integer = -integer;
      return NumberScan{p + count, static_cast<uint32_t>(integer), JsonType::Integer};
    }
  }
  return scanLongNumber(p, end, negative);
}
