// Little- and big-endian numbers in byte strings, and range checks that
// cannot overflow: the binary formats the tools read and write (executable
// images, icons, pictures, zip archives) are made of them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace bytes {

/// True when `size` bytes from `offset` lie inside `total` bytes. 64-bit
/// arithmetic: no offset or size taken from a file can wrap it.
constexpr bool fits(uint64_t total, uint64_t offset, uint64_t size) {
  return offset <= total && size <= total - offset;
}

inline bool fits(std::string_view data, uint64_t offset, uint64_t size) {
  return fits(data.size(), offset, size);
}

/// The byte at `at`; the caller has checked that it exists.
inline uint32_t byteAt(std::string_view data, size_t at) {
  return static_cast<uint8_t>(data[at]);
}

/// Little-endian numbers at `at`; the caller has checked the range.
inline uint32_t le16(std::string_view data, size_t at) {
  return byteAt(data, at) | byteAt(data, at + 1) << 8;
}

inline uint32_t le32(std::string_view data, size_t at) {
  return le16(data, at) | le16(data, at + 2) << 16;
}

inline uint64_t le64(std::string_view data, size_t at) {
  return le32(data, at) | static_cast<uint64_t>(le32(data, at + 4)) << 32;
}

/// A big-endian 32-bit number at `at` (PNG); the caller has checked the range.
inline uint32_t be32(std::string_view data, size_t at) {
  return byteAt(data, at) << 24 | byteAt(data, at + 1) << 16 | byteAt(data, at + 2) << 8 |
         byteAt(data, at + 3);
}

/// Overwrites little-endian numbers at `at`, inside `data`.
inline void put16(std::string* data, size_t at, uint32_t value) {
  (*data)[at] = static_cast<char>(value & 0xff);
  (*data)[at + 1] = static_cast<char>(value >> 8 & 0xff);
}

inline void put32(std::string* data, size_t at, uint32_t value) {
  put16(data, at, value & 0xffff);
  put16(data, at + 2, value >> 16);
}

/// Appends little-endian numbers.
inline void append16(std::string* data, uint32_t value) {
  *data += static_cast<char>(value & 0xff);
  *data += static_cast<char>(value >> 8 & 0xff);
}

inline void append32(std::string* data, uint32_t value) {
  append16(data, value & 0xffff);
  append16(data, value >> 16);
}

/// `value` rounded up to a multiple of `alignment` (not 0), without wrapping.
constexpr uint64_t alignUp(uint64_t value, uint64_t alignment) {
  return (value + alignment - 1) / alignment * alignment;
}

}  // namespace bytes
