// Byte-level scanning shared by the parser's steps: whitespace, string
// bodies, digits.
#pragma once

#include <cstdint>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define VANTREL_JSON_SSE2 1
#endif

using Byte = unsigned char;

/// The byte at `p`, or 0 at the end of the text (a NUL byte reads the same).
inline Byte peekByte(const Byte* p, const Byte* end) { return p != end ? *p : 0; }

inline bool isJsonWhitespace(Byte c) {
  return c == ' ' || c == '\n' || c == '\r' || c == '\t';
}

inline bool isDigit(Byte c) { return static_cast<unsigned>(c - '0') < 10; }

inline int countTrailingZeros(unsigned mask) {
#if defined(_MSC_VER) && !defined(__clang__)
  unsigned long index;
  _BitScanForward(&index, mask);
  return static_cast<int>(index);
#else
  return __builtin_ctz(mask);
#endif
}

inline int countTrailingZeros64(uint64_t mask) {
#if defined(_MSC_VER) && !defined(__clang__)
  unsigned long index;
  _BitScanForward64(&index, mask);
  return static_cast<int>(index);
#else
  return __builtin_ctzll(mask);
#endif
}

/// Index of the first byte of the 16 at `p` that is not whitespace, or 16.
#ifdef VANTREL_JSON_SSE2
inline int firstNonWhitespace16(const Byte* p) {
  __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  __m128i blank = _mm_or_si128(
      _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(' ')),
                   _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\n'))),
      _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\r')),
                   _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\t'))));
  unsigned other = ~static_cast<unsigned>(_mm_movemask_epi8(blank)) & 0xFFFF;
  return other != 0 ? countTrailingZeros(other) : 16;
}
#endif

/// First byte at or after `p` that is not whitespace (or `end`). Most
/// tokens follow at most one blank, so the first bytes are tested one by
/// one before long indentation runs are skipped sixteen at a time.
inline Byte* skipWhitespace(Byte* p, const Byte* end) {
  if (p == end || *p > ' ') return p;
  if (!isJsonWhitespace(*p)) return p;
  ++p;
  if (p == end || *p > ' ') return p;
#ifdef VANTREL_JSON_SSE2
  while (end - p >= 16) {
    int skip = firstNonWhitespace16(p);
    p += skip;
    if (skip != 16) return p;
  }
#endif
  while (p != end && isJsonWhitespace(*p)) ++p;
  return p;
}

inline bool isStringSpecial(Byte c) { return c == '"' || c == '\\' || c < 0x20; }

/// First byte at or after `p` that ends a plain run inside a string: a
/// double quote, a backslash or a control byte below 0x20 (or `end`).
inline Byte* findStringSpecial(Byte* p, const Byte* end) {
#ifdef VANTREL_JSON_SSE2
  const __m128i quote = _mm_set1_epi8('"');
  const __m128i backslash = _mm_set1_epi8('\\');
  const __m128i control = _mm_set1_epi8(0x1F);
  while (end - p >= 16) {
    __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    __m128i low = _mm_cmpeq_epi8(_mm_min_epu8(bytes, control), bytes);
    __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, quote),
                                            _mm_cmpeq_epi8(bytes, backslash)),
                               low);
    int mask = _mm_movemask_epi8(hit);
    if (mask != 0) return p + countTrailingZeros(static_cast<unsigned>(mask));
    p += 16;
  }
#endif
  while (p != end && !isStringSpecial(*p)) ++p;
  return p;
}

/// Value of a hex digit (0-9, a-f, A-F), or -1.
inline int hexDigitValue(Byte c) {
  if (isDigit(c)) return c - '0';
  Byte lower = c | 0x20;
  if (lower >= 'a' && lower <= 'f') return lower - 'a' + 10;
  return -1;
}
