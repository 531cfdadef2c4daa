// Number literals: 32-bit integers while they fit, otherwise binary64 built
// digit by digit (m = 10m + d) and scaled by one power of ten.
#include "json_number.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "json_pow10.h"

namespace {

// Below 2^53 every binary64 step m = 10m + d is exact, so digits gathered
// in an integer there give bit for bit the binary64 result.

/// kDigitsLimit[k]: while the mantissa is at most this, k more digits keep
/// it below 2^53.
constexpr uint64_t kDigitsLimit[9] = {
    0,           900719925474098, 90071992547408, 9007199254739, 900719925473,
    90071992546, 9007199253,     900719924,      90071991};
constexpr uint64_t kPowersOfTen[9] = {1,      10,      100,      1000,     10000,
                                      100000, 1000000, 10000000, 100000000};

/// The literal's mantissa digits so far, exact while they fit.
struct Mantissa {
  uint64_t exact = 0;
  double approximate = 0.0;
  bool inexact = false;
};

/// Takes whole blocks of up to eight digits while the mantissa stays exact;
/// returns where it stopped.
Byte* gatherExactBlocks(Byte* p, const Byte* end, uint64_t& exact) {
  while (end - p >= 8) {
    uint64_t bytes = loadEight(p);
    uint64_t other = nonDigitBytes(bytes);
    size_t count = other == 0 ? 8 : static_cast<size_t>(countTrailingZeros64(other) >> 3);
    while (count > 0 && exact > kDigitsLimit[count]) --count;
    if (count == 0) break;
    exact = exact * kPowersOfTen[count] + leadingDigitsValue(bytes, count);
    p += count;
    if (count < 8) break;
  }
  return p;
}

/// Takes the run of digits at `p` into the mantissa. Returns the first byte
/// after it, or null when the run reaches the end of the text.
Byte* gatherDigits(Byte* p, const Byte* end, Mantissa& m) {
  if (!m.inexact) {
    uint64_t exact = m.exact;
    if (kJsonEightBytesAtOnce) p = gatherExactBlocks(p, end, exact);
    while (p != end && isDigit(*p) && exact <= kDigitsLimit[1])
      exact = exact * 10 + static_cast<unsigned>(*p++ - '0');
    m.exact = exact;
    if (p == end) return nullptr;
    if (!isDigit(*p)) return p;
    m.inexact = true;
    m.approximate = static_cast<double>(exact);
  }
  double approximate = m.approximate;
  while (p != end && isDigit(*p)) approximate = approximate * 10.0 + (*p++ - '0');
  m.approximate = approximate;
  return p == end ? nullptr : p;
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

}  // namespace

NumberScan scanLongNumber(Byte* digits, const Byte* end, bool negative) {
  Mantissa m;
  Byte* p = gatherDigits(digits, end, m);
  if (p == nullptr) return endOfText();
  bool isDouble = m.inexact || m.exact > kJsonLargestInteger;
  int64_t exponent = 0;
  if (*p == '.') {
    isDouble = true;
    Byte* fraction = ++p;
    if (p == end || (p = gatherDigits(p, end, m)) == nullptr) return endOfText();
    exponent = -(p - fraction);
  }
  if ((*p | 0x20) == 'e') {
    isDouble = true;
    if (++p == end) return endOfText();
    if ((p = takeExponent(p, end, exponent)) == nullptr) return endOfText();
  }
  if (!isDouble) {
    // Leading zeros can keep a long digit string a 32-bit integer.
    int32_t value = static_cast<int32_t>(m.exact);
    return NumberScan{p, static_cast<uint32_t>(negative ? -value : value),
                      JsonType::Integer};
  }
  double value = scale(m, exponent, digits, p);
  if (negative) value = -value;
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return NumberScan{p, bits, JsonType::Double};
}
