// Non-recursive JSON parser. Open containers are chained inside the bottom of
// the structure, finished blocks are laid down from its top, and each
// container moves to its final place, members sorted, when it closes.
//
// Why the structure (one word per byte of text) never overflows, also for
// truncated texts: at every loop head the words in use, bottom region (slot
// included) plus top region, are at most the bytes consumed plus one. The
// only step that outruns the text is a string value, whose two-word block is
// reserved right after its opening quote; even then the top region alone
// never exceeds the consumed bytes, because the bottom region always holds
// at least the root's header and a slot. The regions may then overlap, but
// only for texts that fail before any container closes. Keys are written
// only after they have been read in full, so their slot lies in bounds too.
#include "json.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <utility>

#include "json_number.h"
#include "json_scan.h"
#include "json_words.h"
#include "text_position.h"

namespace {

/// The parser's working record for one call of parseJson.
struct ParserState {
  uint64_t* inputShare = nullptr;
  uint64_t inputLength = 0;
  Byte* inputStart = nullptr;
  Byte* inputEnd = nullptr;
  uint64_t* structureBase = nullptr;
  Byte* position = nullptr;
  uint64_t* bottom = nullptr;
  JsonType rootType = JsonType::Null;
  uint64_t* top = nullptr;
  uint64_t errorLine = 0;
  uint64_t errorColumn = 0;
  std::string errorMessage;
  /// The caller's unmodified text. Error positions are counted over it: in
  /// the copy, escapes before the error may already be decoded.
  const char* original = nullptr;

  ParserState() = default;
  ParserState(const ParserState&) = delete;
  ParserState& operator=(const ParserState&) = delete;
  ~ParserState() {
    delete[] structureBase;
    char* copy = reinterpret_cast<char*>(inputStart);
    releaseInputShare(inputShare, copy);
  }
};

/// Reports an error at `at`, replacing any earlier one. Returns null (false
/// in a test), so that every step can return it directly.
#if defined(__GNUC__)
__attribute__((format(printf, 3, 4)))
#endif
Byte* fail(ParserState& s, const Byte* at, const char* format, ...) {
  const size_t offset = static_cast<size_t>(at - s.inputStart);
  const TextPosition position = textPositionOf(std::string_view(s.original, offset), offset);
  s.errorLine = position.line;
  s.errorColumn = position.column;
  char message[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(message, sizeof message - 1, format, args);
  va_end(args);
  s.errorMessage = message;
  s.position = const_cast<Byte*>(at);
  return nullptr;
}

Byte* failEnd(ParserState& s, const Byte* at) {
  return fail(s, at, "unexpected end of input");
}

Byte* encodeUtf8(uint32_t cp, Byte* out) {
  if (cp < 0x80) {
    *out++ = static_cast<Byte>(cp);
  } else if (cp < 0x800) {
    *out++ = static_cast<Byte>(0xC0 | cp >> 6);
    *out++ = static_cast<Byte>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    *out++ = static_cast<Byte>(0xE0 | cp >> 12);
    *out++ = static_cast<Byte>(0x80 | ((cp >> 6) & 0x3F));
    *out++ = static_cast<Byte>(0x80 | (cp & 0x3F));
  } else {
    *out++ = static_cast<Byte>(0xF0 | cp >> 18);
    *out++ = static_cast<Byte>(0x80 | ((cp >> 12) & 0x3F));
    *out++ = static_cast<Byte>(0x80 | ((cp >> 6) & 0x3F));
    *out++ = static_cast<Byte>(0x80 | (cp & 0x3F));
  }
  return out;
}

/// Reads four hex digits at `p` into `unit`; false after reporting an error
/// just past the offending byte.
bool readHex4(ParserState& s, const Byte* p, uint32_t& unit) {
  unit = 0;
  for (int i = 0; i < 4; ++i) {
    int digit = hexDigitValue(p[i]);
    if (digit < 0) {
      fail(s, p + i + 1, "invalid character in unicode escape");
      return false;
    }
    unit = unit << 4 | static_cast<uint32_t>(digit);
  }
  return true;
}

/// Decodes the escape whose "u" lies just before `p`, joining a surrogate
/// pair. Returns the read position after it, or null after an error.
Byte* decodeUnicode(ParserState& s, Byte* p, Byte*& out) {
  if (s.inputEnd - p < 4) return failEnd(s, p);
  uint32_t unit;
  if (!readHex4(s, p, unit)) return nullptr;
  p += 4;
  uint32_t cp = unit;
  if (unit >= 0xD800 && unit <= 0xDBFF) {
    if (s.inputEnd - p < 6)
      return fail(s, p, "unexpected end of input during UTF-16 surrogate pair");
    if (p[0] != '\\' || p[1] != 'u') return fail(s, p, "expected \\u");
    uint32_t trail;
    if (!readHex4(s, p + 2, trail)) return nullptr;
    p += 6;
    if (trail < 0xDC00 || trail > 0xDFFF)
      return fail(s, p, "invalid UTF-16 trail surrogate");
    cp = 0x10000 + ((unit - 0xD800) << 10) + (trail - 0xDC00);
  }
  out = encodeUtf8(cp, out);
  return p;
}

/// Decodes the escape whose letter is at `p` (just after the backslash).
Byte* decodeEscape(ParserState& s, Byte* p, Byte*& out) {
  if (p == s.inputEnd) return failEnd(s, p);
  Byte decoded;
  switch (*p) {
    case '"': decoded = '"'; break;
    case '\\': decoded = '\\'; break;
    case '/': decoded = '/'; break;
    case 'b': decoded = 0x08; break;
    case 'f': decoded = 0x0C; break;
    case 'n': decoded = 0x0A; break;
    case 'r': decoded = 0x0D; break;
    case 't': decoded = 0x09; break;
    case 'u': return decodeUnicode(s, p + 1, out);
    default: return fail(s, p, "unknown escape");
  }
  *out++ = decoded;
  return p + 1;
}

/// Rest of a string from its first special byte `read` on, decoding escapes
/// in place; the output never overtakes the read position.
Byte* decodeString(ParserState& s, Byte* read, uint64_t& stop) {
  Byte* out = read;
  for (;;) {
    if (read == s.inputEnd) return failEnd(s, read);
    Byte c = *read;
    if (c == '"') {
      stop = static_cast<uint64_t>(out - s.inputStart);
      return read + 1;
    }
    if (c < 0x20)
      return fail(s, read, "illegal unprintable codepoint in string: %d", c);
    read = decodeEscape(s, read + 1, out);
    if (read == nullptr) return nullptr;
    Byte* next = findStringSpecial(read, s.inputEnd);
    std::memmove(out, read, static_cast<size_t>(next - read));
    out += next - read;
    read = next;
  }
}

/// Reads a string whose opening quote lies just before `p` and sets the
/// offsets of its decoded content. Returns the position after the closing
/// quote, or null after reporting an error.
inline Byte* readString(ParserState& s, Byte* p, uint64_t& start,
                        uint64_t& stop) {
  start = static_cast<uint64_t>(p - s.inputStart);
  Byte* special = findStringSpecial(p, s.inputEnd);
  if (special != s.inputEnd && *special == '"') {
    stop = static_cast<uint64_t>(special - s.inputStart);
    return special + 1;
  }
  return decodeString(s, special, stop);
}

/// One member triple of an object being closed: key start, key end, value.
struct MemberSlots {
  uint64_t word[3];
};
static_assert(sizeof(MemberSlots) == 3 * sizeof(uint64_t), "triples are packed");

/// Member order: the shorter key first, keys of equal length by their bytes
/// as unsigned values.
struct KeyOrder {
  const Byte* input;
  bool operator()(const MemberSlots& a, const MemberSlots& b) const {
    uint64_t length = a.word[1] - a.word[0];
    uint64_t lengthB = b.word[1] - b.word[0];
    if (length != lengthB) return length < lengthB;
    if (length == 0) return false;
    const Byte* keyA = input + a.word[0];
    const Byte* keyB = input + b.word[0];
    // Most keys of equal length already differ in their first byte.
    if (*keyA != *keyB) return *keyA < *keyB;
    return std::memcmp(keyA, keyB, length) < 0;
  }
};

/// Sorts the member triples in place (n log n, no extra memory). The words
/// are viewed as an array of MemberSlots, an aggregate of the same words.
void sortMembers(const Byte* input, uint64_t* members, uint64_t n) {
  MemberSlots* first = reinterpret_cast<MemberSlots*>(members);
  std::sort(first, first + n, KeyOrder{input});
}

// Closing a container moves its slots from `first` up to `bottom` into a
// block just below `top` and re-bases their value words on the block's
// count word; the new top is that count word. Every payload points at or
// above the current top, so subtracting the shift never reaches the type
// bits. The destination never lies below the source, so moving from the
// last word down is safe where the two overlap.

inline uint64_t* closeArray(uint64_t* first, uint64_t* bottom, uint64_t* top) {
  uint64_t words = static_cast<uint64_t>(bottom - first);
  uint64_t* newTop = top - words - 1;
  uint64_t shift = static_cast<uint64_t>(newTop - first);
  for (uint64_t i = words; i-- > 0;) newTop[1 + i] = first[i] - shift;
  *newTop = words;
  return newTop;
}

/// Also sorts the member triples, in place.
uint64_t* closeObject(const Byte* input, uint64_t* first, uint64_t* bottom,
                      uint64_t* top) {
  uint64_t count = static_cast<uint64_t>(bottom - first) / 3;
  uint64_t* newTop = top - 3 * count - 1;
  uint64_t shift = static_cast<uint64_t>(newTop - first);
  sortMembers(input, first, count);
  for (uint64_t i = count; i-- > 0;) {
    newTop[3 + 3 * i] = first[2 + 3 * i] - shift;
    newTop[2 + 3 * i] = first[1 + 3 * i];
    newTop[1 + 3 * i] = first[3 * i];
  }
  *newTop = count;
  return newTop;
}

/// Reads a literal whose first letter is at `p`; `rest` is the rest of its
/// spelling. Returns the position after it, or null after an error.
inline Byte* readLiteral(ParserState& s, Byte* p, const char* rest,
                         size_t restLength, const char* message) {
  if (static_cast<size_t>(s.inputEnd - p) < restLength + 1) return failEnd(s, p);
  if (std::memcmp(p + 1, rest, restLength) != 0) return fail(s, p, "%s", message);
  return p + restLength + 1;
}

/// After the root container closed: only whitespace may follow, up to the
/// end of the text or a NUL byte.
bool finishRoot(ParserState& s, Byte* p) {
  p = skipWhitespace(p, s.inputEnd);
  if (p != s.inputEnd && *p != 0) {
    fail(s, p, "expected end of input");
    return false;
  }
  s.position = p;
  return true;
}

/// Reads a member's key, whose opening quote is at `p`, into the slot at
/// `slot` and the word after it, then the colon. Returns the position of
/// the next token, or null after an error.
inline Byte* readMemberKey(ParserState& s, Byte* p, uint64_t* slot) {
  if (peekByte(p, s.inputEnd) != '"') return fail(s, p, "object key must be quoted");
  uint64_t start, stop;
  if ((p = readString(s, p + 1, start, stop)) == nullptr)
    return fail(s, s.position, "invalid object key");
  slot[0] = start;
  slot[1] = stop;
  p = skipWhitespace(p, s.inputEnd);
  if (peekByte(p, s.inputEnd) != ':') return fail(s, p, "expected :");
  return skipWhitespace(p + 1, s.inputEnd);
}

/// Reads a value that is no container, starting with byte `b` at `p`, and
/// lays its block (if any) down below `top`. `container` is the type of the
/// container it belongs to. Returns the position after the value, or null
/// after an error.
inline Byte* readScalar(ParserState& s, Byte* p, Byte b, JsonType container,
                        uint64_t*& top, JsonType& type) {
  switch (b) {
    case '"': {
      uint64_t start, stop;
      if ((p = readString(s, p + 1, start, stop)) == nullptr) return nullptr;
      top -= 2;
      top[0] = start;
      top[1] = stop;
      type = JsonType::String;
      return p;
    }
    case '-': case '0': case '1': case '2': case '3': case '4':
    case '5': case '6': case '7': case '8': case '9': {
      NumberScan number = scanNumber(p, s.inputEnd);
      if (number.end == nullptr) return failEnd(s, s.inputEnd);
      *--top = number.word;
      type = number.type;
      return number.end;
    }
    case 'n':
      type = JsonType::Null;
      return readLiteral(s, p, "ull", 3, "expected 'null'");
    case 'f':
      type = JsonType::False;
      return readLiteral(s, p, "alse", 4, "expected 'false'");
    case 't':
      type = JsonType::True;
      return readLiteral(s, p, "rue", 3, "expected 'true'");
    case ']':
      // An array's own "]" closed it before a value was read.
      return fail(s, p, "expected }");
    case '}':
      if (container == JsonType::Array) return fail(s, p, "expected ]");
      // A member whose colon is directly followed by the closing brace has
      // no value.
      return fail(s, p, "cannot parse unknown value");
    case 0:
      return failEnd(s, p);
    default:
      return fail(s, p, "cannot parse unknown value");
  }
}

/// The main loop. `header` is the current container's header word; the
/// slots of its elements or members follow it, `bottom` is the slot being
/// filled.
bool parseText(ParserState& s) {
  const Byte* const end = s.inputEnd;
  uint64_t* const base = s.structureBase;
  Byte* p = skipWhitespace(s.position, end);
  Byte b = peekByte(p, end);
  if (b == 0) return fail(s, p, "no root element");
  if (b != '[' && b != '{')
    return fail(s, p, "document root must be object or array");
  JsonType type = b == '[' ? JsonType::Array : JsonType::Object;
  uint64_t* header = base;
  uint64_t* bottom = base;
  uint64_t* top = s.top;
  *header = makeWord(type, kJsonPayloadMask);
  ++p;
  for (;;) {
    ++bottom;
    p = skipWhitespace(p, end);
    b = peekByte(p, end);
    const Byte closer = type == JsonType::Array ? ']' : '}';
    if (bottom != header + 1 && b != closer) {
      if (b != ',') return fail(s, p, "expected ,");
      p = skipWhitespace(p + 1, end);
      b = peekByte(p, end);
    }
    if (b == closer) {
      ++p;
      uint64_t headerWord = *header;  // the close may overwrite it
      top = type == JsonType::Array
                ? closeArray(header + 1, bottom, top)
                : closeObject(s.inputStart, header + 1, bottom, top);
      if (wordPayload(headerWord) == kJsonPayloadMask) {
        s.rootType = type;
        s.top = top;
        return finishRoot(s, p);
      }
      // The closed container's header is its slot in the enclosing one.
      JsonType closed = type;
      bottom = header;
      header = base + wordPayload(headerWord);
      type = wordType(headerWord);
      *bottom = makeWord(closed, static_cast<uint64_t>(top - (header + 1)));
      continue;
    }
    if (type == JsonType::Object) {
      if ((p = readMemberKey(s, p, bottom)) == nullptr) return false;
      bottom += 2;
      b = peekByte(p, end);
    }
    if (b == '[' || b == '{') {
      *bottom = makeWord(type, static_cast<uint64_t>(header - base));
      header = bottom;
      type = b == '[' ? JsonType::Array : JsonType::Object;
      ++p;
      continue;
    }
    JsonType valueType = JsonType::Null;
    if ((p = readScalar(s, p, b, type, top, valueType)) == nullptr) return false;
    // Literals have no block; the same payload keeps their word re-basable.
    *bottom = makeWord(valueType, static_cast<uint64_t>(top - (header + 1)));
  }
}

}  // namespace

/// Builds the document from the parser's state (it may touch the document's
/// private fields).
struct JsonDocumentBuilder {
  static JsonDocument build(ParserState& s, bool ok) {
    JsonDocument document;
    acquireInputShare(s.inputShare);
    document.inputShare_ = s.inputShare;
    document.inputLength_ = s.inputLength;
    document.input_ = reinterpret_cast<char*>(s.inputStart);
    if (ok) {
      document.structure_ = std::exchange(s.structureBase, nullptr);
      document.rootType_ = s.rootType;
      document.rootBlock_ = s.top;
    } else {
      document.errorLine_ = s.errorLine;
      document.errorColumn_ = s.errorColumn;
      document.errorMessage_ = std::move(s.errorMessage);
    }
    return document;
  }
};

JsonDocument parseJson(const char* text, size_t length) {
  ParserState s;
  s.inputShare = new uint64_t(1);
  s.inputStart = reinterpret_cast<Byte*>(new char[length]);
  if (length != 0) std::memcpy(s.inputStart, text, length);
  s.inputLength = length;
  s.inputEnd = s.inputStart + length;
  // new[] refuses a count whose size in bytes overflows.
  s.structureBase = new uint64_t[length];
  s.position = s.inputStart;
  s.bottom = s.structureBase;
  s.top = s.structureBase + length;
  s.original = text;
  bool ok = parseText(s);
  return JsonDocumentBuilder::build(s, ok);
}
