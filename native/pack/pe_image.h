// The headers of a 64-bit Windows executable image (PE32+), read into named
// fields and checked against what Windows accepts, and written back after a
// change.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

/// One entry of the section table.
struct PeSection {
  size_t header = 0;             ///< file offset of the entry
  uint32_t virtualSize = 0;      ///< bytes in memory
  uint32_t virtualAddress = 0;   ///< RVA of the first byte
  uint32_t rawSize = 0;          ///< SizeOfRawData: bytes in the file
  uint32_t rawOffset = 0;        ///< PointerToRawData
  uint32_t characteristics = 0;

  /// Bytes the section spans in memory (old linkers leave VirtualSize 0).
  uint32_t extent() const { return virtualSize ? virtualSize : rawSize; }
  bool discardable() const { return characteristics & 0x02000000u; }
};

/// An entry of the optional header's data directory.
struct PeDirectory {
  uint32_t rva = 0;
  uint32_t size = 0;
};

/// Data directory entries the packer looks at.
enum : unsigned { peResourceDirectory = 2, peSecurityDirectory = 4, peDebugDirectory = 6 };

/// What a 64-bit Windows image's headers say, field by field.
struct PeImage {
  size_t coffHeader = 0;
  size_t optionalHeader = 0;
  uint32_t symbolTable = 0;           ///< PointerToSymbolTable, a file offset
  uint32_t initializedDataSize = 0;   ///< SizeOfInitializedData
  uint32_t sectionAlignment = 0;
  uint32_t fileAlignment = 0;
  uint32_t imageSize = 0;             ///< SizeOfImage
  uint32_t headersSize = 0;           ///< SizeOfHeaders
  uint32_t checkSum = 0;
  std::vector<PeDirectory> directories;  ///< NumberOfRvaAndSizes of them, at most 16
  std::vector<PeSection> sections;       ///< in the table's order, ascending addresses

  /// The file offset of the CheckSum field.
  size_t checkSumField() const;
  /// The section whose memory holds `rva`, or nullptr.
  const PeSection* sectionOf(uint32_t rva) const;
  /// The file offset of the `size` bytes at `rva`, or npos when they are
  /// not all in the file data of one section (even when `size` is 0).
  size_t offsetOf(uint32_t rva, uint64_t size = 1) const;
  /// SizeOfImage for the sections as they are.
  uint64_t neededImageSize() const;
};

/// The largest image the packer reads: launchers are a few MiB.
constexpr uint64_t maximumImageBytes = 64u << 20;
/// The most sections an image may have (what the Windows loader long took).
constexpr size_t maximumSections = 96;

/// Reads and checks the headers of `file`: a PE32+ image whose alignments,
/// section table and sections are in order and inside the file. False with
/// the reason in `error`.
bool readPeImage(std::string_view file, PeImage* image, std::string* error);

/// Writes the fields of `image` back into the headers of `file` (whose
/// header layout it was read from), the checksum last.
void writePeHeaders(const PeImage& image, std::string* file);

/// The image checksum: a 16-bit folded sum of the file's words, its own
/// field left out, plus the file's length.
uint32_t peChecksum(std::string_view file, size_t checkSumField);

/// Makes the image `file` a console program (its Subsystem field
/// IMAGE_SUBSYSTEM_WINDOWS_CUI), its checksum brought up to date. False
/// with the reason when it is no image.
bool makeConsoleProgram(std::string* file, std::string* error);
