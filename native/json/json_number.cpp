// Number literals: 32-bit integers while they fit, otherwise binary64 built
// digit by digit (m = 10m + d) and scaled by one power of ten.
#include "json_number.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "json_pow10.h"

namespace {

/// Integers up to this value take another digit and stay 32-bit integers.
constexpr uint32_t kIntegerDigitLimit = 214748355;

/// Below this, 10m + d stays under 2^53, where every binary64 step is exact:
/// digits gathered in an integer give bit for bit the binary64 result.
constexpr uint64_t kExactDigitLimit = 900719925474098;

/// The literal's mantissa digits so far, exact while they fit.
struct Mantissa {
  uint64_t exact;
  double approximate;
  bool inexact;
};

/// Takes a run of digits into the mantissa; returns the position after it
/// or null when the text ends. `count` receives the number of digits.
Byte* takeDigits(Byte* p, const Byte* end, Mantissa& m, int64_t& count) {
  Byte* start = p;
  if (!m.inexact) {
    while (isDigit(*p) && m.exact <= kExactDigitLimit) {
      m.exact = m.exact * 10 + static_cast<unsigned>(*p - '0');
      if (++p == end) return nullptr;
    }
    if (!isDigit(*p)) {
      count = p - start;
      return p;
    }
    m.inexact = true;
    m.approximate = static_cast<double>(m.exact);
  }
  while (isDigit(*p)) {
    m.approximate = m.approximate * 10.0 + static_cast<double>(*p - '0');
    if (++p == end) return nullptr;
  }
  count = p - start;
  return p;
}

/// Reads the exponent digits after "e" (and its sign); values beyond the
/// signed 32-bit range saturate.
Byte* takeExponent(Byte* p, const Byte* end, int64_t& exponent) {
  bool negative = false;
  if (*p == '-' || *p == '+') {
    negative = *p == '-';
    if (++p == end) return nullptr;
  }
  int32_t value = 0;
  const int32_t max = std::numeric_limits<int32_t>::max();
  while (isDigit(*p)) {
    int32_t digit = *p - '0';
    value = value > (max - digit) / 10 ? max : value * 10 + digit;
    if (++p == end) return nullptr;
  }
  exponent += negative ? -static_cast<int64_t>(value) : value;
  return p;
}

/// Converts the unsigned literal text [begin, end) exactly, for the cases
/// where one scaling multiplication cannot: a mantissa that overflowed, or
/// a power of ten below the table. `exponent` is the decimal exponent of
/// the mantissa read as an integer.
double convertExactly(const Byte* begin, const Byte* end, int64_t exponent) {
  int64_t significant = 0;
  for (const Byte* p = begin; p != end && (*p | 0x20) != 'e'; ++p) {
    if (isDigit(*p) && (significant > 0 || *p != '0')) ++significant;
  }
  // The value lies in [10^(magnitude - 1), 10^magnitude).
  int64_t magnitude = significant + exponent;
  const double infinity = std::numeric_limits<double>::infinity();
  if (magnitude > 310) return infinity;
  if (magnitude < -324) return 0.0;
  double value = 0.0;
  auto result = std::from_chars(reinterpret_cast<const char*>(begin),
                                reinterpret_cast<const char*>(end), value);
  if (result.ec == std::errc::result_out_of_range)
    return magnitude > 0 ? infinity : 0.0;
  return value;
}

double scale(const Mantissa& m, int64_t exponent, const Byte* digits,
             const Byte* end) {
  double mantissa = m.inexact ? m.approximate : static_cast<double>(m.exact);
  // Zero stays zero whatever the exponent (no 0 x infinity).
  if (mantissa == 0.0) return 0.0;
  if (std::isinf(mantissa) || exponent < kJsonMinPowerOfTen)
    return convertExactly(digits, end, exponent);
  if (exponent == 0) return mantissa;
  // The mantissa is a whole number of at least 1 here, so the value
  // overflows: mantissa x infinity is the right answer.
  if (exponent > kJsonMaxPowerOfTen)
    return mantissa * std::numeric_limits<double>::infinity();
  return mantissa * kJsonPowersOfTen[exponent - kJsonMinPowerOfTen];
}

NumberScan endOfText() { return NumberScan{nullptr, 0, JsonType::Integer}; }

/// The literal turned out not to be a 32-bit integer: `p` stands at the
/// first byte that made it a double (a digit, ".", "e" or "E").
NumberScan scanDouble(Byte* literal, Byte* p, const Byte* end, bool negative,
                      uint32_t integer) {
  Byte* digits = negative ? literal + 1 : literal;
  Mantissa m{integer, 0.0, false};
  int64_t count = 0;
  int64_t exponent = 0;
  if ((p = takeDigits(p, end, m, count)) == nullptr) return endOfText();
  if (*p == '.') {
    if (++p == end) return endOfText();
    if ((p = takeDigits(p, end, m, count)) == nullptr) return endOfText();
    exponent = -count;
  }
  if ((*p | 0x20) == 'e') {
    if (++p == end) return endOfText();
    if ((p = takeExponent(p, end, exponent)) == nullptr) return endOfText();
  }
  double value = scale(m, exponent, digits, p);
  if (negative) value = -value;
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return NumberScan{p, bits, JsonType::Double};
}

}  // namespace

NumberScan scanNumber(Byte* p, const Byte* end) {
  Byte* literal = p;
  bool negative = *p == '-';
  if (negative && ++p == end) return endOfText();
  uint32_t integer = 0;
  while (isDigit(*p)) {
    if (integer > kIntegerDigitLimit) break;
    integer = integer * 10 + static_cast<uint32_t>(*p - '0');
    if (++p == end) return endOfText();
  }
  if (!isDigit(*p) && *p != '.' && (*p | 0x20) != 'e') {
    // At most 2147483559: the negation fits in 32 bits.
    int32_t value = static_cast<int32_t>(integer);
    if (negative) value = -value;
    return NumberScan{p, static_cast<uint32_t>(value), JsonType::Integer};
  }
  return scanDouble(literal, p, end, negative, integer);
}
