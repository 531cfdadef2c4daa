#include "text_position.h"

TextPosition textPositionOf(std::string_view text, size_t offset) {
  TextPosition position;
  for (size_t i = 0; i < offset; ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < offset && text[i + 1] == '\n') ++i;
      ++position.line;
      position.column = 1;
    } else {
      ++position.column;
    }
  }
  return position;
}
