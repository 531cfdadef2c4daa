// Conversion of a JSON number literal into its number word.
#pragma once

#include <cstdint>

#include "json.h"
#include "json_scan.h"

struct NumberScan {
  Byte* end;      ///< first byte after the literal; null when the text ended
  uint64_t word;  ///< the number word: int32 in the low bits, or binary64 bits
  JsonType type;  ///< JsonType::Integer or JsonType::Double
};

/// Reads the number literal at `p` ("-" or a digit). The literal may not
/// reach `end`: something must follow a number in a complete document.
NumberScan scanNumber(Byte* p, const Byte* end);
