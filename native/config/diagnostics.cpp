#include "diagnostics.h"

const char* describeKind(JsonType type) {
  switch (type) {
    case JsonType::Integer:
    case JsonType::Double:
      return "a number";
    case JsonType::Null:
      return "null";
    case JsonType::False:
    case JsonType::True:
      return "a boolean";
    case JsonType::String:
      return "a string";
    case JsonType::Array:
      return "an array";
    case JsonType::Object:
      return "an object";
  }
  return "an unknown value";
}

bool holdsNulByte(std::string_view text) {
  return text.find('\0') != std::string_view::npos;
}

std::string showNulBytes(std::string_view text) {
  std::string shown;
  for (char c : text) {
    if (c == '\0')
      shown += "\\u0000";
    else
      shown += c;
  }
  return shown;
}

std::string quotedText(std::string_view text) { return '"' + showNulBytes(text) + '"'; }

bool looksLikeUtf16(std::string_view start) {
  return start.size() >= 2 && (start.substr(0, 2) == "\xFF\xFE" ||
                               start.substr(0, 2) == "\xFE\xFF" || start[0] == '\0' ||
                               start[1] == '\0');
}
