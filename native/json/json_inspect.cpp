#include "json_inspect.h"

/// Reads the private fields of documents and views on behalf of the
/// functions below.
struct JsonInspector {
  static JsonExtent extent(const JsonDocument& document) {
    JsonExtent extent;
    extent.input = document.input_;
    extent.inputLength = document.inputLength_;
    extent.structureBegin = document.structure_;
    // The structure holds one word per byte of text.
    if (document.structure_) extent.structureEnd = document.structure_ + document.inputLength_;
    return extent;
  }
  static const uint64_t* block(const JsonValue& value) { return value.block_; }
};

JsonExtent jsonExtent(const JsonDocument& document) {
  return JsonInspector::extent(document);
}

const uint64_t* jsonBlock(const JsonValue& value) { return JsonInspector::block(value); }
