// Encoding of the structure's 64-bit words and the shared input copy, used by
// the document model and the parser.
#pragma once

#include <cstdint>

#include "json.h"

/// Bits 0 to 60 of a value word: the distance in words from the holding
/// container's count word to the value's block.
constexpr uint64_t kJsonPayloadMask = 0x1FFFFFFFFFFFFFFFull;
constexpr int kJsonTypeShift = 61;

inline uint64_t makeWord(JsonType type, uint64_t payload) {
  return (static_cast<uint64_t>(type) << kJsonTypeShift) | payload;
}
inline JsonType wordType(uint64_t word) {
  return static_cast<JsonType>(word >> kJsonTypeShift);
}
inline uint64_t wordPayload(uint64_t word) { return word & kJsonPayloadMask; }

/// Takes one more share of an input copy (a plain, non-atomic count).
inline void acquireInputShare(uint64_t* share) { ++*share; }

/// Gives up one share; the last holder frees the copy and its counter.
inline void releaseInputShare(uint64_t*& share, char*& input) {
  if (share != nullptr && --*share == 0) {
    delete share;
    delete[] input;
  }
  share = nullptr;
  input = nullptr;
}
