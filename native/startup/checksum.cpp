#include "checksum.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "input_file.h"

namespace {

constexpr uint64_t prime1 = 0x9E3779B185EBCA87ULL;
constexpr uint64_t prime2 = 0xC2B2AE3D27D4EB4FULL;
constexpr uint64_t prime3 = 0x165667B19E3779F9ULL;

uint64_t rotate(uint64_t value, int bits) { return (value << bits) | (value >> (64 - bits)); }

uint64_t load(const unsigned char* bytes) {
  uint64_t word;
  std::memcpy(&word, bytes, sizeof word);
  return word;
}

/// Four independent lanes over 32-byte blocks, so that the multiplications
/// of one block overlap; whatever is left of a block goes in byte by byte.
class Checksum {
 public:
  void addBlocks(const unsigned char* bytes, size_t count) {
    for (size_t at = 0; at + 32 <= count; at += 32)
      for (size_t lane = 0; lane < 4; ++lane)
        lanes_[lane] = rotate(lanes_[lane] + load(bytes + at + 8 * lane) * prime2, 31) * prime1;
    length_ += count - count % 32;
  }
  void addTail(const unsigned char* bytes, size_t count) {
    for (size_t i = 0; i < count; ++i) tail_ = rotate(tail_ ^ (bytes[i] * prime3), 11) * prime1;
    length_ += count;
  }
  uint64_t value() const {
    uint64_t value = length_ * prime3 ^ tail_;
    for (uint64_t lane : lanes_) value = rotate(value ^ lane * prime2, 27) * prime1 + prime3;
    value ^= value >> 33;
    value *= prime2;
    value ^= value >> 29;
    value *= prime3;
    return value ^ (value >> 32);
  }

 private:
  uint64_t lanes_[4] = {prime1 + prime2, prime2, 0, 0 - prime1};
  uint64_t tail_ = 0;
  uint64_t length_ = 0;
};

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

bool checksumFile(const std::string& path, uint64_t* sum) {
  std::unique_ptr<std::FILE, FileCloser> file(openInputFile(path.c_str()));
  if (!file) return false;
  std::vector<unsigned char> buffer(1 << 20);  // a multiple of the block size
  Checksum checksum;
  while (true) {
    const size_t count = std::fread(buffer.data(), 1, buffer.size(), file.get());
    checksum.addBlocks(buffer.data(), count);
    if (count < buffer.size()) {
      checksum.addTail(buffer.data() + count - count % 32, count % 32);
      break;
    }
  }
  if (std::ferror(file.get())) return false;
  *sum = checksum.value();
  return true;
}

std::string hexDigits(uint64_t value) {
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
  return text;
}
