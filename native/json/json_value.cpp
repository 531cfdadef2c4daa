// The read-only document model: views over the structure and key lookup.
#include "json.h"

#include <cstring>
#include <utility>

#include "json_words.h"

JsonValue JsonValue::child(uint64_t wordIndex) const {
  uint64_t word = block_[wordIndex];
  return JsonValue(wordType(word), block_ + wordPayload(word), input_);
}

JsonValue JsonValue::element(uint64_t index) const { return child(1 + index); }

std::string_view JsonValue::key(uint64_t index) const {
  uint64_t start = block_[1 + 3 * index];
  uint64_t end = block_[2 + 3 * index];
  return std::string_view(input_ + start, end - start);
}

JsonValue JsonValue::memberValue(uint64_t index) const {
  return child(3 + 3 * index);
}

uint64_t JsonValue::findKey(std::string_view sought) const {
  const uint64_t size = block_[0];
  const uint64_t length = sought.size();
  uint64_t first = 0;
  uint64_t count = size;
  // Lower bound: the first member whose key does not sort before `sought`.
  while (count > 0) {
    uint64_t half = count / 2;
    uint64_t middle = first + half;
    const uint64_t* member = block_ + 1 + 3 * middle;
    uint64_t memberLength = member[1] - member[0];
    bool before = memberLength < length ||
                  (memberLength == length && length != 0 &&
                   std::memcmp(input_ + member[0], sought.data(), length) < 0);
    if (before) {
      first = middle + 1;
      count -= half + 1;
    } else {
      count = half;
    }
  }
  if (first == size) return size;
  const uint64_t* member = block_ + 1 + 3 * first;
  if (member[1] - member[0] != length) return size;
  if (length != 0 && std::memcmp(input_ + member[0], sought.data(), length) != 0)
    return size;
  return first;
}

std::string_view JsonValue::text() const {
  return std::string_view(input_ + block_[0], block_[1] - block_[0]);
}

int32_t JsonValue::integerValue() const {
  return static_cast<int32_t>(static_cast<uint32_t>(block_[0]));
}

double JsonValue::doubleValue() const {
  double value;
  std::memcpy(&value, block_, sizeof value);
  return value;
}

JsonDocument::JsonDocument(JsonDocument&& other) noexcept
    : inputShare_(std::exchange(other.inputShare_, nullptr)),
      inputLength_(std::exchange(other.inputLength_, 0)),
      input_(std::exchange(other.input_, nullptr)),
      structure_(std::exchange(other.structure_, nullptr)),
      rootType_(std::exchange(other.rootType_, JsonType::Null)),
      rootBlock_(std::exchange(other.rootBlock_, nullptr)),
      errorLine_(std::exchange(other.errorLine_, 0)),
      errorColumn_(std::exchange(other.errorColumn_, 0)),
      errorMessage_(std::move(other.errorMessage_)) {}

JsonDocument& JsonDocument::operator=(JsonDocument&& other) noexcept {
  if (this != &other) {
    JsonDocument moved(std::move(other));
    std::swap(inputShare_, moved.inputShare_);
    std::swap(inputLength_, moved.inputLength_);
    std::swap(input_, moved.input_);
    std::swap(structure_, moved.structure_);
    std::swap(rootType_, moved.rootType_);
    std::swap(rootBlock_, moved.rootBlock_);
    std::swap(errorLine_, moved.errorLine_);
    std::swap(errorColumn_, moved.errorColumn_);
    std::swap(errorMessage_, moved.errorMessage_);
  }
  return *this;
}

JsonDocument::~JsonDocument() {
  delete[] structure_;
  releaseInputShare(inputShare_, input_);
}
