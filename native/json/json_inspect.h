// Where a parsed document keeps its memory, for the checks of tests and
// fuzzers that walk a document and verify that every view stays inside it.
#pragma once

#include <cstdint>

#include "json.h"

/// The two memory areas of a document: the input copy, which every string
/// offset counts from, and the structure of 64-bit words.
struct JsonExtent {
  const char* input = nullptr;
  uint64_t inputLength = 0;
  const uint64_t* structureBegin = nullptr;  ///< null when the parse failed
  const uint64_t* structureEnd = nullptr;    ///< one past the last word
};

JsonExtent jsonExtent(const JsonDocument& document);

/// The first word of a value's block (its count word for a container).
/// Meaningless for null, false and true, which have no block.
const uint64_t* jsonBlock(const JsonValue& value);
