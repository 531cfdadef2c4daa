#include "java_text.h"

namespace {

const char replacementCharacter[] = "\xEF\xBF\xBD";

void appendThreeByteUnit(std::string* out, unsigned unit) {
  out->push_back(static_cast<char>(0xE0 | (unit >> 12)));
  out->push_back(static_cast<char>(0x80 | ((unit >> 6) & 0x3F)));
  out->push_back(static_cast<char>(0x80 | (unit & 0x3F)));
}

void appendCodePoint(std::string* out, unsigned codePoint) {
  if (codePoint == 0) {
    out->append("\xC0\x80");
  } else if (codePoint < 0x80) {
    out->push_back(static_cast<char>(codePoint));
  } else if (codePoint < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
    out->push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
  } else if (codePoint < 0x10000) {
    appendThreeByteUnit(out, codePoint);
  } else {
    codePoint -= 0x10000;
    appendThreeByteUnit(out, 0xD800 | (codePoint >> 10));
    appendThreeByteUnit(out, 0xDC00 | (codePoint & 0x3FF));
  }
}

/// The sequence length announced by a lead byte, 0 for a byte that cannot
/// start a sequence.
size_t sequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

/// The allowed range of the byte after the lead: it rules out overlong
/// forms, UTF-16 surrogates and values beyond U+10FFFF.
bool secondByteFits(unsigned char lead, unsigned char second) {
  unsigned char low = 0x80, high = 0xBF;
  if (lead == 0xE0) low = 0xA0;
  if (lead == 0xED) high = 0x9F;
  if (lead == 0xF0) low = 0x90;
  if (lead == 0xF4) high = 0x8F;
  return second >= low && second <= high;
}

/// Decodes one sequence at `pos`. Returns the bytes consumed; `codePoint`
/// is set only when the sequence is well formed (otherwise the consumed
/// bytes are the maximal ill-formed part).
size_t decodeSequence(const std::string& text, size_t pos, unsigned* codePoint,
                      bool* wellFormed) {
  unsigned char lead = static_cast<unsigned char>(text[pos]);
  size_t length = sequenceLength(lead);
  *wellFormed = false;
  if (length == 0) return 1;
  unsigned value = length == 1 ? lead : lead & (0x7F >> length);
  for (size_t i = 1; i < length; ++i) {
    if (pos + i >= text.size()) return i;
    unsigned char next = static_cast<unsigned char>(text[pos + i]);
    bool fits = i == 1 ? secondByteFits(lead, next) : (next & 0xC0) == 0x80;
    if (!fits) return i;
    value = (value << 6) | (next & 0x3F);
  }
  *codePoint = value;
  *wellFormed = true;
  return length;
}

}  // namespace

std::string toModifiedUtf8(const std::string& utf8) {
  std::string out;
  out.reserve(utf8.size() + utf8.size() / 2);
  for (size_t pos = 0; pos < utf8.size();) {
    unsigned codePoint = 0;
    bool wellFormed = false;
    pos += decodeSequence(utf8, pos, &codePoint, &wellFormed);
    if (wellFormed)
      appendCodePoint(&out, codePoint);
    else
      out.append(replacementCharacter);
  }
  return out;
}
