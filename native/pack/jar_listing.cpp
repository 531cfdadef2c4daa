// The central directory of a zip archive: its end record is found from the
// end of the file (and through it the zip64 end record when there is one),
// then each file header gives one entry. An entry's data follows its local
// header; deflated data goes through zlib.
#include "jar_listing.h"

#include <zlib.h>

#include <algorithm>
#include <fstream>

#include "bytes.h"
#include "file_util.h"

namespace {

using bytes::fits;
using bytes::le16;
using bytes::le32;
using bytes::le64;

// Record signatures and field offsets.
namespace end {
constexpr uint32_t signature = 0x06054b50;
constexpr size_t size = 22, disk = 4, directoryDisk = 6, count = 10, directorySize = 12,
                 directoryOffset = 16, commentLength = 20, longestComment = 0xffff;
}  // namespace end
namespace locator {  // of the zip64 end record, just before the end record
constexpr uint32_t signature = 0x07064b50;
constexpr size_t size = 20, recordOffset = 8;
}  // namespace locator
namespace end64 {
constexpr uint32_t signature = 0x06064b50;
constexpr size_t size = 56, disk = 16, directoryDisk = 20, count = 32, directorySize = 40,
                 directoryOffset = 48;
}  // namespace end64
namespace central {
constexpr uint32_t signature = 0x02014b50;
constexpr size_t size = 46, flags = 8, method = 10, crc = 16, compressedSize = 20,
                 uncompressedSize = 24, nameLength = 28, extraLength = 30, commentLength = 32,
                 diskStart = 34, localHeader = 42;
}  // namespace central
namespace local {
constexpr uint32_t signature = 0x04034b50;
constexpr size_t size = 30, nameLength = 26, extraLength = 28;
}  // namespace local
constexpr uint16_t zip64Extra = 0x0001;
constexpr uint32_t zip64Marker = 0xffffffffu;
constexpr uint16_t stored = 0, deflated = 8;
/// The most an entry's bytes are read at once.
constexpr uint64_t largestEntry = 1u << 30;

bool fail(std::string* error, const std::string& reason) {
  *error = reason;
  return false;
}

/// A file read in parts.
class InputFile {
 public:
  bool open(const std::string& path, std::string* error) {
    std::error_code code;
    if (!std::filesystem::is_regular_file(pathOf(path), code))
      return fail(error, code ? code.message() : "not a file");
    in_.open(pathOf(path), std::ios::binary);
    in_.seekg(0, std::ios::end);
    size_ = static_cast<uint64_t>(in_.tellg());
    return in_ ? true : fail(error, "cannot be read");
  }

  uint64_t size() const { return size_; }

  bool read(uint64_t offset, uint64_t count, std::string* data, std::string* error) {
    if (!fits(size_, offset, count)) return fail(error, "damaged zip archive");
    data->resize(static_cast<size_t>(count));
    in_.seekg(static_cast<std::streamoff>(offset));
    in_.read(&(*data)[0], static_cast<std::streamsize>(count));
    return in_ ? true : fail(error, "cannot be read");
  }

 private:
  std::ifstream in_;
  uint64_t size_ = 0;
};

/// Where the central directory is and how many entries it has.
struct Directory {
  uint64_t offset = 0;  ///< as the end record says
  uint64_t size = 0;
  uint64_t count = 0;
  uint64_t end = 0;     ///< file offset of the record after the directory
};

/// The end record in the last bytes of the file; its offset in `tail`.
size_t findEndRecord(const std::string& tail) {
  if (tail.size() < end::size) return std::string::npos;
  for (size_t at = tail.size() - end::size + 1; at-- > 0;)
    if (le32(tail, at) == end::signature && at + end::size + le16(tail, at + end::commentLength) <= tail.size())
      return at;
  return std::string::npos;
}

bool readZip64End(InputFile* file, uint64_t recordAt, Directory* directory, std::string* error) {
  std::string record;
  if (!file->read(recordAt, end64::size, &record, error) || le32(record, 0) != end64::signature)
    return fail(error, "damaged zip archive (zip64 end record)");
  if (le32(record, end64::disk) != 0 || le32(record, end64::directoryDisk) != 0)
    return fail(error, "a zip archive split into parts");
  directory->count = le64(record, end64::count);
  directory->size = le64(record, end64::directorySize);
  directory->offset = le64(record, end64::directoryOffset);
  directory->end = recordAt;
  return true;
}

bool findDirectory(InputFile* file, Directory* directory, std::string* error) {
  uint64_t tailSize = std::min<uint64_t>(file->size(), end::size + end::longestComment + locator::size);
  std::string tail;
  if (!file->read(file->size() - tailSize, tailSize, &tail, error)) return false;
  size_t at = findEndRecord(tail);
  if (at == std::string::npos) return fail(error, "not a zip archive");
  if (le16(tail, at + end::disk) != 0 || le16(tail, at + end::directoryDisk) != 0)
    return fail(error, "a zip archive split into parts");
  if (at >= locator::size && le32(tail, at - locator::size) == locator::signature)
    return readZip64End(file, le64(tail, at - locator::size + locator::recordOffset), directory,
                        error);
  directory->count = le16(tail, at + end::count);
  directory->size = le32(tail, at + end::directorySize);
  directory->offset = le32(tail, at + end::directoryOffset);
  directory->end = file->size() - tailSize + at;
  return true;
}

/// The zip64 extra field's values for the fields that say 0xffffffff.
bool readZip64Sizes(const std::string& extra, JarEntry* entry, bool diskMarked) {
  for (size_t at = 0; fits(extra, at, 4); at += 4 + le16(extra, at + 2)) {
    size_t length = le16(extra, at + 2);
    if (le16(extra, at) != zip64Extra) continue;
    size_t field = at + 4, fieldEnd = at + 4 + length;
    for (uint64_t* value : {&entry->size, &entry->compressedSize, &entry->localHeader}) {
      if (*value != zip64Marker) continue;
      if (field + 8 > fieldEnd || !fits(extra, field, 8)) return false;
      *value = le64(extra, field);
      field += 8;
    }
    return !diskMarked;
  }
  return entry->size != zip64Marker && entry->compressedSize != zip64Marker &&
         entry->localHeader != zip64Marker && !diskMarked;
}

/// One file header of the directory at `*at`, moving `*at` past it.
bool readEntry(const std::string& headers, size_t* at, JarEntry* entry) {
  if (!fits(headers, *at, central::size) || le32(headers, *at) != central::signature) return false;
  size_t nameLength = le16(headers, *at + central::nameLength);
  size_t extraLength = le16(headers, *at + central::extraLength);
  size_t next = *at + central::size + nameLength + extraLength +
                le16(headers, *at + central::commentLength);
  if (next > headers.size()) return false;
  entry->name = headers.substr(*at + central::size, nameLength);
  entry->flags = static_cast<uint16_t>(le16(headers, *at + central::flags));
  entry->method = static_cast<uint16_t>(le16(headers, *at + central::method));
  entry->crc = le32(headers, *at + central::crc);
  entry->compressedSize = le32(headers, *at + central::compressedSize);
  entry->size = le32(headers, *at + central::uncompressedSize);
  entry->localHeader = le32(headers, *at + central::localHeader);
  bool diskMarked = le16(headers, *at + central::diskStart) == 0xffff;
  std::string extra = headers.substr(*at + central::size + nameLength, extraLength);
  *at = next;
  return readZip64Sizes(extra, entry, diskMarked);
}

/// The bytes between the archive's first byte and the file's (a launcher
/// script before a self-running jar): the directory ends where the end
/// record starts.
bool findPrefix(const Directory& directory, uint64_t* prefix) {
  if (directory.size > directory.end) return false;
  uint64_t start = directory.end - directory.size;
  if (start < directory.offset) return false;
  *prefix = start - directory.offset;
  return true;
}

bool inflated(const std::string& compressed, uint64_t size, std::string* data) {
  data->assign(static_cast<size_t>(size), '\0');
  z_stream stream{};
  if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) return false;
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.data()));
  stream.avail_in = static_cast<uInt>(compressed.size());
  stream.next_out = reinterpret_cast<Bytef*>(&(*data)[0]);
  stream.avail_out = static_cast<uInt>(size);
  int status = inflate(&stream, Z_FINISH);
  bool whole = status == Z_STREAM_END && stream.total_out == size;
  inflateEnd(&stream);
  return whole;
}

}  // namespace

bool readJarDirectory(const std::string& path, std::vector<JarEntry>* entries,
                      std::string* error) {
  InputFile file;
  Directory directory;
  uint64_t prefix = 0;
  std::string headers;
  if (!file.open(path, error) || !findDirectory(&file, &directory, error)) return false;
  if (directory.size > maximumJarDirectoryBytes)
    return fail(error, "its directory is larger than " +
                           std::to_string(maximumJarDirectoryBytes >> 20) + " MiB");
  if (directory.count > directory.size / central::size || !findPrefix(directory, &prefix) ||
      !file.read(directory.offset + prefix, directory.size, &headers, error))
    return fail(error, "damaged zip archive");
  size_t at = 0;
  for (uint64_t i = 0; i < directory.count; ++i) {
    JarEntry entry;
    if (!readEntry(headers, &at, &entry)) return fail(error, "damaged zip archive");
    entry.localHeader += prefix;
    entries->push_back(std::move(entry));
  }
  return true;
}

bool readJarEntry(const std::string& path, const JarEntry& entry, uint64_t limit,
                  std::string* data, std::string* error) {
  std::string what = "its entry " + entry.name;
  if (entry.flags & 1) return fail(error, what + " is encrypted");
  if (entry.method != stored && entry.method != deflated)
    return fail(error, what + " is compressed with method " + std::to_string(entry.method));
  limit = std::min(limit, largestEntry);
  if (entry.size > limit)
    return fail(error, what + " is larger than " + std::to_string(limit) + " bytes");
  InputFile file;
  std::string header, compressed;
  if (!file.open(path, error) || !file.read(entry.localHeader, local::size, &header, error) ||
      le32(header, 0) != local::signature)
    return fail(error, what + " is damaged");
  uint64_t start = entry.localHeader + local::size + le16(header, local::nameLength) +
                   le16(header, local::extraLength);
  // Deflating never grows data by more than a few bytes per block.
  bool plausible = entry.method == stored
                       ? entry.compressedSize == entry.size
                       : entry.compressedSize <= entry.size + entry.size / 8 + 1024;
  if (!plausible || !file.read(start, entry.compressedSize, &compressed, error))
    return fail(error, what + " is damaged");
  if (entry.method == stored) data->swap(compressed);
  else if (!inflated(compressed, entry.size, data)) return fail(error, what + " is damaged");
  if (crc32(0, reinterpret_cast<const Bytef*>(data->data()), static_cast<uInt>(data->size())) !=
      entry.crc)
    return fail(error, what + " is damaged (CRC)");
  return true;
}

bool readJarEntry(const std::string& path, const std::string& name, uint64_t limit,
                  std::string* data, std::string* error) {
  std::vector<JarEntry> entries;
  if (!readJarDirectory(path, &entries, error)) return false;
  auto entry = std::find_if(entries.begin(), entries.end(),
                            [&name](const JarEntry& candidate) { return candidate.name == name; });
  if (entry == entries.end()) return fail(error, "it has no entry " + name);
  return readJarEntry(path, *entry, limit, data, error);
}
