// The headers of a PE32+ image: the DOS stub's pointer to the "PE"
// signature, the COFF header, the optional header with its data directory,
// and the section table.
#include "pe_image.h"

#include <algorithm>

#include "bytes.h"

namespace {

using bytes::fits;
using bytes::le16;
using bytes::le32;

// Field offsets, from the start of each header.
namespace dos {
constexpr size_t size = 0x40, newHeader = 0x3c;
}
namespace coff {
constexpr size_t size = 20, sectionCount = 2, symbolTable = 8, optionalSize = 16;
}
namespace optional {
constexpr size_t initializedDataSize = 8, sectionAlignment = 32, fileAlignment = 36,
                 imageSize = 56, headersSize = 60, checkSum = 64, subsystem = 68, directoryCount = 108,
                 directories = 112;
constexpr uint32_t pe32Plus = 0x20b;
constexpr unsigned maximumDirectories = 16;
}  // namespace optional
namespace section {
constexpr size_t size = 40, virtualSize = 8, virtualAddress = 12, rawSize = 16, rawOffset = 20,
                 characteristics = 36;
}

bool powerOfTwo(uint32_t value) { return value != 0 && (value & (value - 1)) == 0; }

bool fail(std::string* error, const std::string& reason) {
  *error = reason;
  return false;
}

/// The DOS header's pointer to the signature, then the COFF header.
bool readCoffHeader(std::string_view file, PeImage* image, size_t* sectionCount,
                    size_t* optionalSize, std::string* error) {
  if (!fits(file, 0, dos::size) || file.substr(0, 2) != "MZ")
    return fail(error, "not a 64-bit Windows executable");
  uint64_t signature = le32(file, dos::newHeader);
  // Windows wants the signature on a 4-byte boundary; so does the checksum.
  if (signature % 4 != 0 || !fits(file, signature, 4 + coff::size) ||
      file.substr(signature, 4) != std::string_view("PE\0\0", 4))
    return fail(error, "not a 64-bit Windows executable");
  image->coffHeader = signature + 4;
  *sectionCount = le16(file, image->coffHeader + coff::sectionCount);
  image->symbolTable = le32(file, image->coffHeader + coff::symbolTable);
  *optionalSize = le16(file, image->coffHeader + coff::optionalSize);
  image->optionalHeader = image->coffHeader + coff::size;
  return true;
}

/// The optional header: alignments, sizes and the data directory (its
/// count capped at 16, as Windows reads it).
bool readOptionalHeader(std::string_view file, size_t optionalSize, PeImage* image,
                        std::string* error) {
  size_t at = image->optionalHeader;
  if (optionalSize < optional::directories || !fits(file, at, optionalSize) ||
      le16(file, at) != optional::pe32Plus)
    return fail(error, "not a 64-bit Windows executable");
  image->initializedDataSize = le32(file, at + optional::initializedDataSize);
  image->sectionAlignment = le32(file, at + optional::sectionAlignment);
  image->fileAlignment = le32(file, at + optional::fileAlignment);
  image->imageSize = le32(file, at + optional::imageSize);
  image->headersSize = le32(file, at + optional::headersSize);
  image->checkSum = le32(file, at + optional::checkSum);
  unsigned count = static_cast<unsigned>(
      std::min<uint32_t>(le32(file, at + optional::directoryCount), optional::maximumDirectories));
  if (count <= peSecurityDirectory || optional::directories + size_t{8} * count > optionalSize)
    return fail(error, "its optional header is too short for its data directories");
  for (size_t i = 0; i < count; ++i)
    image->directories.push_back({le32(file, at + optional::directories + 8 * i),
                                  le32(file, at + optional::directories + 8 * i + 4)});
  return true;
}

/// File alignment a power of two from 512 to 64 KiB (or the section
/// alignment, when that is below a page), section alignment a power of two
/// at least as large.
bool checkAlignments(const PeImage& image, std::string* error) {
  uint32_t file = image.fileAlignment, memory = image.sectionAlignment;
  bool fileOk = powerOfTwo(file) && file <= 0x10000 &&
                (file >= 512 || (memory < 0x1000 && file == memory));
  if (fileOk && powerOfTwo(memory) && memory >= file) return true;
  return fail(error, "its file alignment " + std::to_string(file) + " and section alignment " +
                         std::to_string(memory) + " are not ones Windows accepts");
}

void readSection(std::string_view file, size_t at, PeSection* entry) {
  entry->header = at;
  entry->virtualSize = le32(file, at + section::virtualSize);
  entry->virtualAddress = le32(file, at + section::virtualAddress);
  entry->rawSize = le32(file, at + section::rawSize);
  entry->rawOffset = le32(file, at + section::rawOffset);
  entry->characteristics = le32(file, at + section::characteristics);
}

/// The sections follow each other in memory and in the file, after the
/// headers, each inside the file.
bool checkSections(std::string_view file, const PeImage& image, std::string* error) {
  uint64_t memoryEnd = image.headersSize, fileEnd = image.headersSize;
  for (const PeSection& entry : image.sections) {
    std::string which = "its section at address " + std::to_string(entry.virtualAddress);
    if (entry.virtualAddress < memoryEnd || entry.extent() == 0)
      return fail(error, which + " overlaps what comes before it");
    memoryEnd = bytes::alignUp(uint64_t{entry.virtualAddress} + entry.extent(),
                               image.sectionAlignment);
    if (entry.rawSize == 0) continue;
    if (entry.rawOffset < fileEnd) return fail(error, which + " overlaps what comes before it in the file");
    if (!fits(file, entry.rawOffset, entry.rawSize)) return fail(error, which + " lies outside the file");
    fileEnd = uint64_t{entry.rawOffset} + entry.rawSize;
  }
  if (memoryEnd > UINT32_MAX) return fail(error, "its sections end beyond 4 GiB");
  return true;
}

bool readSectionTable(std::string_view file, size_t count, size_t optionalSize, PeImage* image,
                      std::string* error) {
  uint64_t table = image->optionalHeader + optionalSize;
  if (count == 0 || count > maximumSections)
    return fail(error, "it has " + std::to_string(count) + " sections (1 to " +
                           std::to_string(maximumSections) + " are supported)");
  if (!fits(file, table, section::size * count) || table + section::size * count > image->headersSize ||
      image->headersSize > file.size())
    return fail(error, "its section table lies outside its headers");
  for (size_t i = 0; i < count; ++i) {
    image->sections.emplace_back();
    readSection(file, table + section::size * i, &image->sections.back());
  }
  return checkSections(file, *image, error);
}

}  // namespace

size_t PeImage::checkSumField() const { return optionalHeader + optional::checkSum; }

const PeSection* PeImage::sectionOf(uint32_t rva) const {
  for (const PeSection& entry : sections)
    if (rva >= entry.virtualAddress &&
        rva - entry.virtualAddress < std::max(entry.extent(), entry.rawSize))
      return &entry;
  return nullptr;
}

size_t PeImage::offsetOf(uint32_t rva, uint64_t size) const {
  const PeSection* entry = sectionOf(rva);
  // A section without file data has no offset, not even for an empty range:
  // its PointerToRawData may be anything.
  if (!entry || entry->rawSize == 0 || !fits(entry->rawSize, rva - entry->virtualAddress, size))
    return std::string::npos;
  return size_t{entry->rawOffset} + (rva - entry->virtualAddress);
}

uint64_t PeImage::neededImageSize() const {
  uint64_t end = 0;
  for (const PeSection& entry : sections)
    end = std::max(end, uint64_t{entry.virtualAddress} + entry.extent());
  return bytes::alignUp(end, sectionAlignment);
}

bool readPeImage(std::string_view file, PeImage* image, std::string* error) {
  *image = PeImage();
  size_t sectionCount = 0, optionalSize = 0;
  if (file.size() > maximumImageBytes)
    return fail(error, "it is larger than " + std::to_string(maximumImageBytes >> 20) + " MiB");
  return readCoffHeader(file, image, &sectionCount, &optionalSize, error) &&
         readOptionalHeader(file, optionalSize, image, error) && checkAlignments(*image, error) &&
         readSectionTable(file, sectionCount, optionalSize, image, error);
}

void writePeHeaders(const PeImage& image, std::string* file) {
  size_t at = image.optionalHeader;
  bytes::put32(file, image.coffHeader + coff::symbolTable, image.symbolTable);
  bytes::put32(file, at + optional::initializedDataSize, image.initializedDataSize);
  bytes::put32(file, at + optional::imageSize, image.imageSize);
  bytes::put32(file, at + optional::directoryCount, static_cast<uint32_t>(image.directories.size()));
  for (size_t i = 0; i < image.directories.size(); ++i) {
    bytes::put32(file, at + optional::directories + 8 * i, image.directories[i].rva);
    bytes::put32(file, at + optional::directories + 8 * i + 4, image.directories[i].size);
  }
  for (const PeSection& entry : image.sections) {
    bytes::put32(file, entry.header + section::virtualSize, entry.virtualSize);
    bytes::put32(file, entry.header + section::virtualAddress, entry.virtualAddress);
    bytes::put32(file, entry.header + section::rawSize, entry.rawSize);
    bytes::put32(file, entry.header + section::rawOffset, entry.rawOffset);
  }
  bytes::put32(file, image.checkSumField(), peChecksum(*file, image.checkSumField()));
}

bool makeConsoleProgram(std::string* file, std::string* error) {
  PeImage image;
  if (!readPeImage(*file, &image, error)) return false;
  constexpr uint32_t windowsConsole = 3;
  bytes::put16(file, image.optionalHeader + optional::subsystem, windowsConsole);
  bytes::put32(file, image.checkSumField(), peChecksum(*file, image.checkSumField()));
  return true;
}

uint32_t peChecksum(std::string_view file, size_t checkSumField) {
  uint64_t sum = 0;
  for (size_t i = 0; i < file.size(); i += 2) {
    if (i == checkSumField || i == checkSumField + 2) continue;
    uint32_t word = bytes::byteAt(file, i);
    if (i + 1 < file.size()) word |= bytes::byteAt(file, i + 1) << 8;
    sum += word;
    sum = (sum & 0xffff) + (sum >> 16);
  }
  sum = (sum & 0xffff) + (sum >> 16);
  return static_cast<uint32_t>(sum + file.size());
}
