// The launcher's JSON reader: a compact, read-only document built by a
// non-recursive parser, with object members sorted for binary-search lookup.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

/// Kind of a JSON value. The number is what the top three bits of a value
/// word hold.
enum class JsonType : uint32_t {
  Integer = 0,  ///< signed 32-bit integer
  Double = 1,   ///< IEEE 754 binary64
  Null = 2,
  False = 3,
  True = 4,
  String = 5,
  Array = 6,
  Object = 7,
};

/// A view of one value of a JsonDocument. It owns nothing and is valid only
/// while the document it came from lives.
///
/// The kind-specific operations do not check the kind or the index: callers
/// test type() first and compare indices with size().
class JsonValue {
 public:
  JsonValue() = default;
  JsonValue(JsonType type, const uint64_t* block, const char* input)
      : type_(type), block_(block), input_(input) {}

  JsonType type() const { return type_; }

  /// Number of elements of an array or members of an object.
  uint64_t size() const { return block_[0]; }

  /// Element `index` of an array.
  JsonValue element(uint64_t index) const;

  /// Key of member `index` of an object, decoded; members are numbered in
  /// stored order (by key length, then key bytes).
  std::string_view key(uint64_t index) const;

  /// Value of member `index` of an object.
  JsonValue memberValue(uint64_t index) const;

  /// Number of the member whose key equals `key`, or size() when there is none.
  uint64_t findKey(std::string_view key) const;

  /// Decoded content of a string (may contain NUL bytes; not NUL-terminated).
  std::string_view text() const;

  int32_t integerValue() const;
  double doubleValue() const;

 private:
  friend struct JsonInspector;
  JsonValue child(uint64_t wordIndex) const;

  JsonType type_ = JsonType::Null;
  const uint64_t* block_ = nullptr;
  const char* input_ = nullptr;
};

/// The result of a parse: the document's own copy of the text, the structure
/// of 64-bit words that encodes every value, and the error state.
/// Move-only; the input copy is shared through a plain reference count.
class JsonDocument {
 public:
  JsonDocument() = default;
  JsonDocument(JsonDocument&& other) noexcept;
  JsonDocument& operator=(JsonDocument&& other) noexcept;
  JsonDocument(const JsonDocument&) = delete;
  JsonDocument& operator=(const JsonDocument&) = delete;
  ~JsonDocument();

  /// True when the text parsed; only then are root() and its views meaningful.
  bool ok() const { return structure_ != nullptr; }
  JsonValue root() const { return JsonValue(rootType_, rootBlock_, input_); }

  const std::string& errorMessage() const { return errorMessage_; }
  /// 1-based line and byte column of a parse error; 0 after success.
  uint64_t errorLine() const { return errorLine_; }
  uint64_t errorColumn() const { return errorColumn_; }

 private:
  friend struct JsonDocumentBuilder;
  friend struct JsonInspector;

  uint64_t* inputShare_ = nullptr;  ///< reference count of the input copy
  uint64_t inputLength_ = 0;
  char* input_ = nullptr;
  uint64_t* structure_ = nullptr;
  JsonType rootType_ = JsonType::Null;
  const uint64_t* rootBlock_ = nullptr;
  uint64_t errorLine_ = 0;
  uint64_t errorColumn_ = 0;
  std::string errorMessage_;
};

/// Parses `length` bytes of JSON text. The text need not be NUL-terminated
/// and is not modified. Never throws for bad input: errors are reported in
/// the returned document. Allocation failures propagate as std::bad_alloc.
JsonDocument parseJson(const char* text, size_t length);

inline JsonDocument parseJson(std::string_view text) {
  return parseJson(text.data(), text.size());
}

/// Reads the whole file (bytes up to the first NUL) and parses it. A file
/// that cannot be opened reads as an empty text ("no root element").
JsonDocument loadJsonFile(const std::string& path);
