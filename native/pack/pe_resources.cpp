// Reading and rewriting the resource section of a PE32+ executable.
//
// The resource tree has three levels (type, name, language) of directory
// tables; its leaves are data entries holding the address (an RVA) and size
// of each resource. The writer lays out a new tree: all directory tables,
// then the name strings, the data entries and the data, each datum aligned
// to 8 bytes.
#include "pe_resources.h"

#include <algorithm>
#include <map>

namespace {

constexpr uint32_t subdirectoryBit = 0x80000000u;
constexpr uint32_t discardableSection = 0x02000000u;
constexpr size_t maximumEntries = 1 << 16;

uint32_t get16(const std::string& data, size_t at) {
  return static_cast<uint8_t>(data[at]) | static_cast<uint8_t>(data[at + 1]) << 8;
}

uint32_t get32(const std::string& data, size_t at) {
  return get16(data, at) | get16(data, at + 2) << 16;
}

void put16(std::string* data, size_t at, uint32_t value) {
  (*data)[at] = static_cast<char>(value & 0xff);
  (*data)[at + 1] = static_cast<char>(value >> 8 & 0xff);
}

void put32(std::string* data, size_t at, uint32_t value) {
  put16(data, at, value & 0xffff);
  put16(data, at + 2, value >> 16);
}

uint32_t alignUp(uint32_t value, uint32_t alignment) {
  return (value + alignment - 1) / alignment * alignment;
}

/// Where the headers of an image are.
struct PeLayout {
  size_t coffHeader = 0;
  size_t optionalHeader = 0;
  size_t sectionTable = 0;
  unsigned sectionCount = 0;
  uint32_t sectionAlignment = 0;
  uint32_t fileAlignment = 0;
  unsigned directoryCount = 0;

  size_t section(unsigned index) const { return sectionTable + 40 * index; }
  size_t directory(unsigned index) const { return optionalHeader + 112 + 8 * index; }
};

bool readLayout(const std::string& file, PeLayout* layout, std::string* error) {
  *error = "not a 64-bit Windows executable";
  if (file.size() < 0x40 || file.compare(0, 2, "MZ") != 0) return false;
  size_t signature = get32(file, 0x3c);
  if (signature > file.size() - 24 || file.compare(signature, 4, std::string("PE\0\0", 4)))
    return false;
  layout->coffHeader = signature + 4;
  layout->sectionCount = get16(file, layout->coffHeader + 2);
  layout->optionalHeader = layout->coffHeader + 20;
  layout->sectionTable = layout->optionalHeader + get16(file, layout->coffHeader + 16);
  if (layout->optionalHeader + 112 > file.size() ||
      get16(file, layout->optionalHeader) != 0x20b ||
      layout->section(layout->sectionCount) > file.size())
    return false;
  layout->sectionAlignment = get32(file, layout->optionalHeader + 32);
  layout->fileAlignment = get32(file, layout->optionalHeader + 36);
  layout->directoryCount = get32(file, layout->optionalHeader + 108);
  if (layout->directoryCount < 5 || layout->directory(layout->directoryCount) > layout->sectionTable ||
      layout->sectionAlignment == 0 || layout->fileAlignment == 0)
    return false;
  error->clear();
  return true;
}

/// The section holding `rva`, or sectionCount.
unsigned sectionOf(const std::string& file, const PeLayout& layout, uint32_t rva) {
  for (unsigned i = 0; i < layout.sectionCount; ++i) {
    uint32_t start = get32(file, layout.section(i) + 12);
    uint32_t size = std::max(get32(file, layout.section(i) + 8), get32(file, layout.section(i) + 16));
    if (rva >= start && rva - start < size) return i;
  }
  return layout.sectionCount;
}

/// The file offset of `rva`, or npos when no section's file data holds it.
size_t offsetOf(const std::string& file, const PeLayout& layout, uint32_t rva) {
  unsigned index = sectionOf(file, layout, rva);
  if (index == layout.sectionCount) return std::string::npos;
  size_t within = rva - get32(file, layout.section(index) + 12);
  if (within >= get32(file, layout.section(index) + 16)) return std::string::npos;
  return get32(file, layout.section(index) + 20) + within;
}

/// Walks the resource tree of one image.
struct TreeReader {
  const std::string& file;
  const PeLayout& layout;
  size_t base;
  std::vector<ResourceEntry>* entries;

  bool fits(size_t offset, size_t size) const {
    return offset <= file.size() && size <= file.size() - offset;
  }

  bool readKey(uint32_t field, ResourceKey* key) const {
    if (!(field & subdirectoryBit)) {
      key->id = static_cast<uint16_t>(field);
      return true;
    }
    size_t at = base + (field & ~subdirectoryBit);
    if (!fits(at, 2) || !fits(at + 2, 2 * get16(file, at))) return false;
    key->named = true;
    for (size_t i = 0; i < get16(file, at); ++i)
      key->text += static_cast<char16_t>(get16(file, at + 2 + 2 * i));
    return true;
  }

  bool readLeaf(size_t at, ResourceEntry entry) const {
    if (!fits(at, 16)) return false;
    size_t data = offsetOf(file, layout, get32(file, at));
    uint32_t size = get32(file, at + 4);
    if (data == std::string::npos || !fits(data, size)) return false;
    entry.data = file.substr(data, size);
    entry.codePage = get32(file, at + 8);
    entries->push_back(entry);
    return entries->size() < maximumEntries;
  }

  bool readTable(size_t at, int level, const ResourceEntry& parent) const {
    if (!fits(at, 16)) return false;
    size_t count = get16(file, at + 12) + get16(file, at + 14);
    if (!fits(at + 16, 8 * count)) return false;
    for (size_t i = 0; i < count; ++i) {
      ResourceEntry entry = parent;
      uint32_t nameField = get32(file, at + 16 + 8 * i);
      uint32_t target = get32(file, at + 20 + 8 * i);
      ResourceKey key;
      if (!readKey(nameField, &key)) return false;
      if (level == 0) entry.type = key;
      else if (level == 1) entry.name = key;
      else entry.language = key.id;
      bool isTable = target & subdirectoryBit;
      size_t next = base + (target & ~subdirectoryBit);
      if (isTable != (level < 2)) return false;
      if (!(isTable ? readTable(next, level + 1, entry) : readLeaf(next, entry))) return false;
    }
    return true;
  }
};

bool keyLess(const ResourceKey& a, const ResourceKey& b) {
  if (a.named != b.named) return a.named;
  return a.named ? a.text < b.text : a.id < b.id;
}

/// The tree to write: types, their names, their languages.
using LanguageMap = std::map<uint16_t, const ResourceEntry*>;
struct KeyOrder {
  bool operator()(const ResourceKey& a, const ResourceKey& b) const { return keyLess(a, b); }
};
using NameMap = std::map<ResourceKey, LanguageMap, KeyOrder>;
using TypeMap = std::map<ResourceKey, NameMap, KeyOrder>;

/// Lays out and writes the resource section for a given section address.
class SectionWriter {
 public:
  SectionWriter(const TypeMap& tree, uint32_t sectionRva) : tree_(tree), rva_(sectionRva) {}

  std::string write() {
    size_t tables = 16 + 8 * tree_.size();
    for (const auto& type : tree_) {
      tables += 16 + 8 * type.second.size();
      for (const auto& name : type.second) tables += 16 + 8 * name.second.size();
    }
    out_.assign(tables, '\0');
    tableEnd_ = 16 + 8 * tree_.size();
    writeTypes();
    return out_;
  }

 private:
  void writeHeader(size_t at, size_t named, size_t numbered) {
    put16(&out_, at + 12, static_cast<uint32_t>(named));
    put16(&out_, at + 14, static_cast<uint32_t>(numbered));
  }

  template <typename Map>
  void writeHeaderOf(size_t at, const Map& children) {
    size_t named = std::count_if(children.begin(), children.end(),
                                 [](const auto& child) { return child.first.named; });
    writeHeader(at, named, children.size() - named);
  }

  uint32_t keyField(const ResourceKey& key) {
    if (!key.named) return key.id;
    while (out_.size() % 2) out_ += '\0';
    uint32_t at = static_cast<uint32_t>(out_.size());
    out_.append(2 + 2 * key.text.size(), '\0');
    put16(&out_, at, static_cast<uint32_t>(key.text.size()));
    for (size_t i = 0; i < key.text.size(); ++i) put16(&out_, at + 2 + 2 * i, key.text[i]);
    return at | subdirectoryBit;
  }

  size_t newTable(size_t entries) {
    size_t at = tableEnd_;
    tableEnd_ += 16 + 8 * entries;
    return at;
  }

  void writeTypes() {
    writeHeaderOf(0, tree_);
    size_t slot = 16;
    for (const auto& [type, names] : tree_) {
      size_t table = newTable(names.size());
      put32(&out_, slot, keyField(type));
      put32(&out_, slot + 4, static_cast<uint32_t>(table) | subdirectoryBit);
      writeNames(table, names);
      slot += 8;
    }
  }

  void writeNames(size_t at, const NameMap& names) {
    writeHeaderOf(at, names);
    size_t slot = at + 16;
    for (const auto& [name, languages] : names) {
      size_t table = newTable(languages.size());
      put32(&out_, slot, keyField(name));
      put32(&out_, slot + 4, static_cast<uint32_t>(table) | subdirectoryBit);
      writeHeader(table, 0, languages.size());
      size_t languageSlot = table + 16;
      for (const auto& [language, entry] : languages) {
        put32(&out_, languageSlot, language);
        put32(&out_, languageSlot + 4, writeLeaf(*entry));
        languageSlot += 8;
      }
      slot += 8;
    }
  }

  uint32_t writeLeaf(const ResourceEntry& entry) {
    while (out_.size() % 8) out_ += '\0';
    size_t leaf = out_.size();
    out_.append(16, '\0');
    uint32_t data = static_cast<uint32_t>(out_.size());
    out_ += entry.data;
    put32(&out_, leaf, rva_ + data);
    put32(&out_, leaf + 4, static_cast<uint32_t>(entry.data.size()));
    put32(&out_, leaf + 8, entry.codePage);
    return static_cast<uint32_t>(leaf);
  }

  const TypeMap& tree_;
  uint32_t rva_;
  size_t tableEnd_ = 0;
  std::string out_;
};

/// The PE checksum: 16-bit one's-complement-style sum of the file without
/// its checksum field, plus the file's length.
uint32_t peChecksum(const std::string& file, size_t checksumField) {
  uint64_t sum = 0;
  for (size_t i = 0; i < file.size(); i += 2) {
    if (i == checksumField || i == checksumField + 2) continue;
    uint32_t word = static_cast<uint8_t>(file[i]);
    if (i + 1 < file.size()) word |= static_cast<uint32_t>(static_cast<uint8_t>(file[i + 1])) << 8;
    sum += word;
    sum = (sum & 0xffff) + (sum >> 16);
  }
  sum = (sum & 0xffff) + (sum >> 16);
  return static_cast<uint32_t>(sum + file.size());
}

/// How the sections after the resource section move.
struct Shift {
  uint32_t fromRva = 0;     ///< addresses at or after this move by `rva`
  uint32_t fromOffset = 0;  ///< file offsets at or after this move by `offset`
  uint32_t rva = 0;
  uint32_t offset = 0;
};

bool checkMovable(const std::string& file, const PeLayout& layout, unsigned resources,
                  std::string* error) {
  uint32_t resourcesRva = get32(file, layout.section(resources) + 12);
  for (unsigned i = 0; i < layout.sectionCount; ++i) {
    if (get32(file, layout.section(i) + 12) <= resourcesRva) continue;
    if (!(get32(file, layout.section(i) + 36) & discardableSection) ||
        get32(file, layout.section(i) + 20) < get32(file, layout.section(resources) + 20)) {
      *error = "its resource section is followed by sections the program uses";
      return false;
    }
  }
  return true;
}

void moveLaterSections(std::string* file, const PeLayout& layout, const Shift& shift) {
  for (unsigned i = 0; i < layout.sectionCount; ++i) {
    size_t header = layout.section(i);
    if (get32(*file, header + 12) < shift.fromRva) continue;
    put32(file, header + 12, get32(*file, header + 12) + shift.rva);
    if (get32(*file, header + 20) != 0)
      put32(file, header + 20, get32(*file, header + 20) + shift.offset);
  }
  for (unsigned i = 0; i < layout.directoryCount; ++i)
    if (i != 4 && get32(*file, layout.directory(i)) >= shift.fromRva)
      put32(file, layout.directory(i), get32(*file, layout.directory(i)) + shift.rva);
  size_t symbols = layout.coffHeader + 8;
  if (get32(*file, symbols) >= shift.fromOffset)
    put32(file, symbols, get32(*file, symbols) + shift.offset);
}

/// Debug directory entries name their data by address and by file offset.
void moveDebugData(std::string* file, const PeLayout& layout, const Shift& shift) {
  if (layout.directoryCount <= 6) return;
  size_t at = offsetOf(*file, layout, get32(*file, layout.directory(6)));
  size_t size = get32(*file, layout.directory(6) + 4);
  if (at == std::string::npos || at + size > file->size()) return;
  for (size_t entry = at; entry + 28 <= at + size; entry += 28) {
    if (get32(*file, entry + 20) >= shift.fromRva)
      put32(file, entry + 20, get32(*file, entry + 20) + shift.rva);
    if (get32(*file, entry + 24) >= shift.fromOffset)
      put32(file, entry + 24, get32(*file, entry + 24) + shift.offset);
  }
}

void updateImageSizes(std::string* file, const PeLayout& layout, uint32_t rawGrowth) {
  uint32_t end = 0;
  for (unsigned i = 0; i < layout.sectionCount; ++i)
    end = std::max(end, get32(*file, layout.section(i) + 12) + get32(*file, layout.section(i) + 8));
  put32(file, layout.optionalHeader + 56, alignUp(end, layout.sectionAlignment));
  put32(file, layout.optionalHeader + 8, get32(*file, layout.optionalHeader + 8) + rawGrowth);
  put32(file, layout.optionalHeader + 64, 0);
  put32(file, layout.optionalHeader + 64, peChecksum(*file, layout.optionalHeader + 64));
}

/// The section the resource directory starts, which it must fill alone.
bool findResourceSection(const std::string& file, const PeLayout& layout, unsigned* index,
                         std::string* error) {
  if (get32(file, layout.directory(4)) != 0) {
    *error = "it is signed; sign the packaged executable instead";
    return false;
  }
  uint32_t rva = get32(file, layout.directory(2));
  *index = sectionOf(file, layout, rva);
  size_t header = layout.section(*index);
  if (rva == 0 || *index == layout.sectionCount || get32(file, header + 12) != rva) {
    *error = "it has no resource section of its own";
    return false;
  }
  if (get32(file, header + 20) > file.size() ||
      get32(file, header + 16) > file.size() - get32(file, header + 20)) {
    *error = "its resource section lies outside the file";
    return false;
  }
  return true;
}

/// Puts `section` in place of section `index`, moving what follows it.
void replaceSection(std::string* file, const PeLayout& layout, unsigned index,
                    std::string section) {
  size_t header = layout.section(index);
  uint32_t rva = get32(*file, header + 12), offset = get32(*file, header + 20);
  uint32_t oldVirtual = get32(*file, header + 8), oldRaw = get32(*file, header + 16);
  uint32_t used = static_cast<uint32_t>(section.size());
  uint32_t newRaw = alignUp(used, layout.fileAlignment);
  Shift shift{rva + 1, offset + 1,
              alignUp(used, layout.sectionAlignment) - alignUp(oldVirtual, layout.sectionAlignment),
              newRaw - oldRaw};
  section.resize(newRaw, '\0');
  file->replace(offset, oldRaw, section);
  put32(file, header + 8, used);
  put32(file, header + 16, newRaw);
  moveLaterSections(file, layout, shift);
  put32(file, layout.directory(2) + 4, used);
  moveDebugData(file, layout, shift);
  updateImageSizes(file, layout, newRaw - oldRaw);
}

}  // namespace

bool readResources(const std::string& file, std::vector<ResourceEntry>* entries,
                   std::string* error) {
  PeLayout layout;
  if (!readLayout(file, &layout, error)) return false;
  uint32_t rva = get32(file, layout.directory(2));
  size_t base = offsetOf(file, layout, rva);
  if (rva == 0 || base == std::string::npos) {
    *error = "it has no resources";
    return false;
  }
  TreeReader reader{file, layout, base, entries};
  if (!reader.readTable(base, 0, ResourceEntry())) {
    *error = "its resource directory is damaged";
    return false;
  }
  return true;
}

bool writeResources(std::string* file, const std::vector<ResourceEntry>& entries,
                    std::string* error) {
  PeLayout layout;
  unsigned resources = 0;
  if (!readLayout(*file, &layout, error) ||
      !findResourceSection(*file, layout, &resources, error) ||
      !checkMovable(*file, layout, resources, error))
    return false;
  uint32_t rva = get32(*file, layout.section(resources) + 12);
  TypeMap tree;
  for (const ResourceEntry& entry : entries)
    tree[entry.type][entry.name][entry.language] = &entry;
  replaceSection(file, layout, resources, SectionWriter(tree, rva).write());
  return true;
}
