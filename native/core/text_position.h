// Where a byte offset lies in a text, as messages about it give it.
#pragma once

#include <cstdint>
#include <string_view>

struct TextPosition {
  uint64_t line = 1;    ///< 1-based
  uint64_t column = 1;  ///< 1-based, in bytes
};

/// The line and column of `offset` in `text`: CR LF, CR alone and LF alone
/// are one line break each; columns count bytes.
TextPosition textPositionOf(std::string_view text, size_t offset);
