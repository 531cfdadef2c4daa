// The central directory of a zip archive: its end record is found from the
// end of the file, then each file header gives one name.
#include "jar_listing.h"

#include <cstdint>
#include <fstream>

#include "file_util.h"

namespace {

uint32_t read16(const std::string& data, size_t at) {
  return static_cast<uint8_t>(data[at]) | static_cast<uint8_t>(data[at + 1]) << 8;
}

uint32_t read32(const std::string& data, size_t at) {
  return read16(data, at) | read16(data, at + 2) << 16;
}

/// The offset of the end-of-central-directory record, or npos.
size_t findEndRecord(const std::string& data) {
  const size_t recordSize = 22, longestComment = 65535;
  if (data.size() < recordSize) return std::string::npos;
  size_t lowest = data.size() > recordSize + longestComment
                      ? data.size() - recordSize - longestComment : 0;
  for (size_t at = data.size() - recordSize + 1; at-- > lowest;)
    if (read32(data, at) == 0x06054b50) return at;
  return std::string::npos;
}

}  // namespace

bool listJarEntries(const std::string& path, std::vector<std::string>* names,
                    std::string* error) {
  std::string data;
  if (!readWholeFile(path, &data, error)) return false;
  size_t end = findEndRecord(data);
  if (end == std::string::npos) {
    *error = "not a zip archive";
    return false;
  }
  uint32_t count = read16(data, end + 10);
  size_t at = read32(data, end + 16);
  for (uint32_t i = 0; i < count; ++i) {
    if (at + 46 > end || read32(data, at) != 0x02014b50) {
      *error = "damaged zip archive";
      return false;
    }
    size_t nameLength = read16(data, at + 28);
    size_t next = at + 46 + nameLength + read16(data, at + 30) + read16(data, at + 32);
    if (next > end) {
      *error = "damaged zip archive";
      return false;
    }
    names->push_back(data.substr(at + 46, nameLength));
    at = next;
  }
  return true;
}
