// Reading NEEDED and SONAME from ELF files through their section headers.
#include "elf_needs.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "file_util.h"

namespace fs = std::filesystem;

namespace {

constexpr uint32_t sectionSymbols = 2, sectionDynamic = 6;
constexpr uint64_t tagNeeded = 1, tagSoname = 14;

uint64_t little(const std::string& data, size_t at, int size) {
  uint64_t value = 0;
  for (int i = size - 1; i >= 0; --i)
    value = value << 8 | static_cast<unsigned char>(data[at + static_cast<size_t>(i)]);
  return value;
}

bool inside(const std::string& data, uint64_t offset, uint64_t size) {
  return offset <= data.size() && size <= data.size() - offset;
}

struct Section {
  uint32_t type = 0;
  uint32_t link = 0;
  uint64_t offset = 0;
  uint64_t size = 0;
};

Section sectionAt(const std::string& data, uint64_t at) {
  return {static_cast<uint32_t>(little(data, at + 4, 4)),
          static_cast<uint32_t>(little(data, at + 40, 4)), little(data, at + 24, 8),
          little(data, at + 32, 8)};
}

/// The zero-terminated string at `at` of the string table `table`.
bool stringAt(const std::string& data, const Section& table, uint64_t at, std::string* text) {
  if (at >= table.size) return false;
  size_t start = static_cast<size_t>(table.offset + at);
  size_t end = data.find('\0', start);
  if (end == std::string::npos || end >= table.offset + table.size) return false;
  *text = data.substr(start, end - start);
  return true;
}

bool readDynamic(const std::string& data, const Section& dynamic, const Section& strings,
                 ElfDependencies* dependencies) {
  for (uint64_t at = dynamic.offset; at + 16 <= dynamic.offset + dynamic.size; at += 16) {
    uint64_t tag = little(data, static_cast<size_t>(at), 8);
    uint64_t value = little(data, static_cast<size_t>(at) + 8, 8);
    if (tag == 0) break;
    std::string text;
    if ((tag == tagNeeded || tag == tagSoname) && !stringAt(data, strings, value, &text))
      return false;
    if (tag == tagNeeded) dependencies->needed.push_back(text);
    if (tag == tagSoname) dependencies->soname = text;
  }
  return true;
}

/// Looks at the first bytes only: a runtime holds large files that are not ELF.
bool startsLikeElf(const std::string& path) {
  std::ifstream in(pathOf(path), std::ios::binary);
  char magic[4] = {};
  return in.read(magic, sizeof magic) && isElfFile(std::string(magic, sizeof magic));
}

}  // namespace

bool isElfFile(const std::string& data) { return data.compare(0, 4, "\x7f" "ELF") == 0; }

bool readElfDependencies(const std::string& data, ElfDependencies* dependencies,
                         std::string* error) {
  *dependencies = {};
  if (!isElfFile(data) || data.size() < 64 || data[4] != 2 || data[5] != 1) {
    *error = "not a 64-bit little-endian ELF file";
    return false;
  }
  uint64_t tableOffset = little(data, 40, 8);
  uint64_t entrySize = little(data, 58, 2), count = little(data, 60, 2);
  if (count == 0) return true;
  if (entrySize < 64 || !inside(data, tableOffset, entrySize * count)) {
    *error = "its section headers lie outside the file";
    return false;
  }
  for (uint64_t i = 0; i < count; ++i) {
    Section dynamic = sectionAt(data, tableOffset + i * entrySize);
    if (dynamic.type == sectionSymbols) dependencies->hasSymbolTable = true;
    if (dynamic.type != sectionDynamic) continue;
    Section strings = dynamic.link < count
                          ? sectionAt(data, tableOffset + dynamic.link * entrySize)
                          : Section{};
    if (!inside(data, dynamic.offset, dynamic.size) ||
        !inside(data, strings.offset, strings.size) ||
        !readDynamic(data, dynamic, strings, dependencies)) {
      *error = "its dynamic section is damaged";
      return false;
    }
  }
  return true;
}

bool surveyElfFiles(const std::string& folder, ElfSurvey* survey, std::string* error) {
  std::set<std::string> provided, needed;
  std::error_code code;
  *survey = {};
  for (fs::recursive_directory_iterator it(pathOf(folder), code), end; !code && it != end;
       it.increment(code)) {
    if (!it->is_regular_file(code) || it->is_symlink(code)) continue;
    std::string path = textOf(it->path()), data;
    if (!startsLikeElf(path)) continue;
    if (!readWholeFile(path, &data, error)) return false;
    ElfDependencies dependencies;
    if (!readElfDependencies(data, &dependencies, error)) {
      *error = path + ": " + *error;
      return false;
    }
    survey->files.push_back(path);
    if (dependencies.hasSymbolTable) survey->unstripped.push_back(path);
    provided.insert(textOf(it->path().filename()));
    if (!dependencies.soname.empty()) provided.insert(dependencies.soname);
    needed.insert(dependencies.needed.begin(), dependencies.needed.end());
  }
  if (code) {
    *error = "cannot list " + folder + ": " + code.message();
    return false;
  }
  std::sort(survey->files.begin(), survey->files.end());
  std::sort(survey->unstripped.begin(), survey->unstripped.end());
  std::set_difference(needed.begin(), needed.end(), provided.begin(), provided.end(),
                      std::back_inserter(survey->sonames));
  return true;
}
