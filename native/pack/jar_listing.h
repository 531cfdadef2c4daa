// The entries of a jar (a zip archive), read from its central directory,
// and the bytes of one entry. Only the directory and the entry asked for
// are read; each read is bounded.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct JarEntry {
  std::string name;
  uint16_t flags = 0;         ///< general purpose bits; bit 0: encrypted
  uint16_t method = 0;        ///< 0 stored, 8 deflated
  uint32_t crc = 0;
  uint64_t compressedSize = 0;
  uint64_t size = 0;
  uint64_t localHeader = 0;   ///< file offset of its local header
};

/// The largest central directory read: some 500000 entries.
constexpr uint64_t maximumJarDirectoryBytes = 64u << 20;

/// Reads the central directory of the zip archive `path` (zip64 included;
/// data before the archive, as in a self-running jar, allowed). False with
/// the reason in `error`.
bool readJarDirectory(const std::string& path, std::vector<JarEntry>* entries,
                      std::string* error);

/// Reads the bytes of `entry` of the archive `path` (stored or deflated),
/// refusing an entry of more than `limit` bytes (1 GiB at most); its size
/// and CRC are checked. False with the reason.
bool readJarEntry(const std::string& path, const JarEntry& entry, uint64_t limit,
                  std::string* data, std::string* error);

/// readJarDirectory, then readJarEntry of the entry named `name`.
bool readJarEntry(const std::string& path, const std::string& name, uint64_t limit,
                  std::string* data, std::string* error);
