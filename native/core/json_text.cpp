#include "json_text.h"

#include <cstdio>

namespace {

/// The escape of a byte that cannot stand in a JSON string as it is, or
/// null for one that can.
const char* namedEscape(unsigned char c) {
  switch (c) {
    case '"': return "\\\"";
    case '\\': return "\\\\";
    case '\b': return "\\b";
    case '\f': return "\\f";
    case '\n': return "\\n";
    case '\r': return "\\r";
    case '\t': return "\\t";
    default: return nullptr;
  }
}

}  // namespace

void appendJsonString(std::string& out, std::string_view text) {
  out += '"';
  for (unsigned char c : text) {
    if (const char* escape = namedEscape(c)) {
      out += escape;
    } else if (c < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", c);
      out += escape;
    } else {
      out += static_cast<char>(c);
    }
  }
  out += '"';
}

std::string jsonString(std::string_view text) {
  std::string out;
  appendJsonString(out, text);
  return out;
}
