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
#include <unordered_set>

#include "bytes.h"
#include "pe_image.h"

namespace {

using bytes::le16;
using bytes::le32;
using bytes::put16;
using bytes::put32;

// Field offsets of a directory table, its entries and a data entry.
namespace table {
constexpr size_t size = 16, namedCount = 12, numberedCount = 14, entrySize = 8;
}
namespace leaf {
constexpr size_t size = 16, address = 0, dataSize = 4, codePage = 8;
}
constexpr uint32_t subdirectoryBit = 0x80000000u;
constexpr int levels = 3;  // type, name, language
/// Directory entries of all levels together: three per resource at most.
constexpr size_t maximumDirectoryEntries = levels * maximumResources;

const char damagedText[] = "its resource directory is damaged";

/// Walks the resource tree of one image once: every table is read at most
/// once and the counts and bytes are bounded, so a crafted tree costs no
/// more than its size.
class TreeReader {
 public:
  TreeReader(std::string_view file, const PeImage& image, size_t base, size_t end)
      : file_(file), image_(image), base_(base), end_(end) {}

  bool read(std::vector<ResourceEntry>* entries, std::string* error) {
    entries_ = entries;
    problem_ = damagedText;
    if (readTable(base_, 0, ResourceEntry())) return true;
    *error = problem_;
    return false;
  }

 private:
  /// The file offset of `field`'s target within the directory, or npos.
  size_t target(uint32_t field, uint64_t size) const {
    uint64_t at = uint64_t{base_} + (field & ~subdirectoryBit);
    return at < end_ && bytes::fits(end_, at, size) ? static_cast<size_t>(at) : std::string::npos;
  }

  bool spend(uint64_t size) {
    bytes_ += size;
    if (bytes_ <= maximumResourceBytes) return true;
    problem_ = "its resources hold more than " + std::to_string(maximumResourceBytes >> 20) +
               " MiB";
    return false;
  }

  bool readKey(uint32_t field, ResourceKey* key) {
    if (!(field & subdirectoryBit)) {
      key->id = static_cast<uint16_t>(field);
      return (field >> 16) == 0;
    }
    size_t at = target(field, 2);
    if (at == std::string::npos) return false;
    size_t length = le16(file_, at);
    if (target(field, 2 + 2 * uint64_t{length}) == std::string::npos || !spend(2 * length))
      return false;
    key->named = true;
    key->text.resize(length);
    for (size_t i = 0; i < length; ++i) key->text[i] = static_cast<char16_t>(le16(file_, at + 2 + 2 * i));
    return true;
  }

  bool readLeaf(uint32_t field, ResourceEntry entry) {
    size_t at = target(field, leaf::size);
    if (at == std::string::npos) return false;
    uint32_t size = le32(file_, at + leaf::dataSize);
    size_t data = image_.offsetOf(le32(file_, at + leaf::address), size);
    if (data == std::string::npos ||
        !spend(size + 2 * (entry.type.text.size() + entry.name.text.size())))
      return false;
    if (entries_->size() == maximumResources) {
      problem_ = "it has more than " + std::to_string(maximumResources) + " resources";
      return false;
    }
    entry.data.assign(file_.substr(data, size));
    entry.codePage = le32(file_, at + leaf::codePage);
    entries_->push_back(std::move(entry));
    return true;
  }

  bool readTable(size_t at, int level, const ResourceEntry& parent) {
    if (!tables_.insert(at).second) return false;  // a table reached twice: not a tree
    size_t count = le16(file_, at + table::namedCount) + le16(file_, at + table::numberedCount);
    if (!bytes::fits(end_, at, table::size + table::entrySize * count)) return false;
    directoryEntries_ += count;
    if (directoryEntries_ > maximumDirectoryEntries) {
      problem_ = "its resource directory has more than " +
                 std::to_string(maximumDirectoryEntries) + " entries";
      return false;
    }
    for (size_t i = 0; i < count; ++i) {
      size_t slot = at + table::size + table::entrySize * i;
      uint32_t targetField = le32(file_, slot + 4);
      ResourceEntry entry = parent;
      ResourceKey key;
      if (!readKey(le32(file_, slot), &key)) return false;
      if (level == 0) entry.type = key;
      else if (level == 1) entry.name = key;
      else entry.language = key.id;
      bool isTable = targetField & subdirectoryBit;
      if (isTable != (level < levels - 1)) return false;
      if (!isTable) {
        if (!readLeaf(targetField, std::move(entry))) return false;
        continue;
      }
      size_t next = target(targetField, table::size);
      if (next == std::string::npos || !readTable(next, level + 1, entry)) return false;
    }
    return true;
  }

  std::string_view file_;
  const PeImage& image_;
  size_t base_, end_;
  std::vector<ResourceEntry>* entries_ = nullptr;
  std::unordered_set<size_t> tables_;
  size_t directoryEntries_ = 0;
  uint64_t bytes_ = 0;
  std::string problem_;
};

bool keyLess(const ResourceKey& a, const ResourceKey& b) {
  if (a.named != b.named) return a.named;
  return a.named ? a.text < b.text : a.id < b.id;
}

bool keyEqual(const ResourceKey& a, const ResourceKey& b) {
  return !keyLess(a, b) && !keyLess(b, a);
}

/// The tree to write: types, their names, their languages.
using LanguageMap = std::map<uint16_t, const ResourceEntry*>;
struct KeyOrder {
  bool operator()(const ResourceKey& a, const ResourceKey& b) const { return keyLess(a, b); }
};
using NameMap = std::map<ResourceKey, LanguageMap, KeyOrder>;
using TypeMap = std::map<ResourceKey, NameMap, KeyOrder>;

/// Lays out and writes the resource section for a given section address.
/// The caller keeps the entries within the limits, so every offset fits in
/// 32 bits.
class SectionWriter {
 public:
  SectionWriter(const TypeMap& tree, uint32_t sectionRva) : tree_(tree), rva_(sectionRva) {}

  std::string write() {
    size_t tables = table::size + table::entrySize * tree_.size();
    for (const auto& type : tree_) {
      tables += table::size + table::entrySize * type.second.size();
      for (const auto& name : type.second)
        tables += table::size + table::entrySize * name.second.size();
    }
    out_.assign(tables, '\0');
    tableEnd_ = table::size + table::entrySize * tree_.size();
    writeTypes();
    // An empty datum written last would start at the section's end, an
    // address outside it: a little padding keeps every address inside.
    if (lastData_ == out_.size()) out_.append(8, '\0');
    return out_;
  }

 private:
  void writeHeader(size_t at, size_t named, size_t numbered) {
    put16(&out_, at + table::namedCount, static_cast<uint32_t>(named));
    put16(&out_, at + table::numberedCount, static_cast<uint32_t>(numbered));
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
    auto at = static_cast<uint32_t>(out_.size());
    out_.append(2 + 2 * key.text.size(), '\0');
    put16(&out_, at, static_cast<uint32_t>(key.text.size()));
    for (size_t i = 0; i < key.text.size(); ++i) put16(&out_, at + 2 + 2 * i, key.text[i]);
    return at | subdirectoryBit;
  }

  size_t newTable(size_t entries) {
    size_t at = tableEnd_;
    tableEnd_ += table::size + table::entrySize * entries;
    return at;
  }

  void writeSlot(size_t slot, uint32_t key, uint32_t target) {
    put32(&out_, slot, key);
    put32(&out_, slot + 4, target);
  }

  void writeTypes() {
    writeHeaderOf(0, tree_);
    size_t slot = table::size;
    for (const auto& [type, names] : tree_) {
      size_t at = newTable(names.size());
      writeSlot(slot, keyField(type), static_cast<uint32_t>(at) | subdirectoryBit);
      writeNames(at, names);
      slot += table::entrySize;
    }
  }

  void writeNames(size_t at, const NameMap& names) {
    writeHeaderOf(at, names);
    size_t slot = at + table::size;
    for (const auto& [name, languages] : names) {
      size_t languageTable = newTable(languages.size());
      writeSlot(slot, keyField(name), static_cast<uint32_t>(languageTable) | subdirectoryBit);
      writeHeader(languageTable, 0, languages.size());
      size_t languageSlot = languageTable + table::size;
      for (const auto& [language, entry] : languages) {
        writeSlot(languageSlot, language, writeLeaf(*entry));
        languageSlot += table::entrySize;
      }
      slot += table::entrySize;
    }
  }

  uint32_t writeLeaf(const ResourceEntry& entry) {
    while (out_.size() % 8) out_ += '\0';
    size_t at = out_.size();
    out_.append(leaf::size, '\0');
    auto data = static_cast<uint32_t>(out_.size());
    lastData_ = data;
    out_ += entry.data;
    put32(&out_, at + leaf::address, rva_ + data);
    put32(&out_, at + leaf::dataSize, static_cast<uint32_t>(entry.data.size()));
    put32(&out_, at + leaf::codePage, entry.codePage);
    return static_cast<uint32_t>(at);
  }

  const TypeMap& tree_;
  uint32_t rva_;
  size_t tableEnd_ = 0;
  size_t lastData_ = 0;  ///< where the last datum starts
  std::string out_;
};

/// The section the resource directory starts, which it must fill alone.
bool findResourceSection(const PeImage& image, size_t* index, std::string* error) {
  if (image.directories[peSecurityDirectory].rva != 0) {
    *error = "it is signed; sign the packaged executable instead";
    return false;
  }
  uint32_t rva = image.directories[peResourceDirectory].rva;
  const PeSection* section = image.sectionOf(rva);
  if (rva == 0 || !section || section->virtualAddress != rva || section->rawSize == 0) {
    *error = "it has no resource section of its own";
    return false;
  }
  *index = static_cast<size_t>(section - image.sections.data());
  return true;
}

/// The sections after the resource section must be ones the program does
/// not use at run time: they move. Nothing else may point into the resource
/// section: what it holds is replaced. The data directories must point into
/// the image: one beyond it could not be moved with what it points at.
bool checkMovable(const PeImage& image, size_t resources, std::string* error) {
  for (size_t i = resources + 1; i < image.sections.size(); ++i)
    if (!image.sections[i].discardable()) {
      *error = "its resource section is followed by sections the program uses";
      return false;
    }
  const PeSection& section = image.sections[resources];
  uint64_t end = bytes::alignUp(uint64_t{section.virtualAddress} + section.extent(),
                                image.sectionAlignment);
  for (size_t i = 0; i < image.directories.size(); ++i) {
    uint32_t rva = image.directories[i].rva;
    if (i == peResourceDirectory || i == peSecurityDirectory) continue;
    const char* where = rva >= section.virtualAddress && rva < end ? "in its resource section"
                        : rva >= image.neededImageSize()          ? "outside its image"
                                                                    : nullptr;
    if (where) {
      *error = "its data directory " + std::to_string(i) + " lies " + where;
      return false;
    }
  }
  return true;
}

/// How the sections after the resource section move.
struct Shift {
  uint32_t afterRva = 0;     ///< addresses above this move by `rva`
  uint32_t afterOffset = 0;  ///< file offsets above this move by `offset`
  int64_t rva = 0;
  int64_t offset = 0;
};

/// `value` moved by `by` when above `after`; false when it would leave 32 bits.
bool moved(uint32_t* value, uint32_t after, int64_t by) {
  if (*value <= after) return true;
  int64_t result = int64_t{*value} + by;
  if (result < 0 || result > int64_t{UINT32_MAX}) return false;
  *value = static_cast<uint32_t>(result);
  return true;
}

/// Debug directory entries name their data by address and by file offset.
bool moveDebugData(std::string* file, const PeImage& image, const Shift& shift) {
  constexpr size_t entrySize = 28, address = 20, offset = 24;
  if (image.directories.size() <= peDebugDirectory) return true;
  const PeDirectory& debug = image.directories[peDebugDirectory];
  size_t at = image.offsetOf(debug.rva, debug.size);
  if (debug.rva == 0 || at == std::string::npos) return true;
  for (size_t entry = at; entry + entrySize <= at + debug.size; entry += entrySize) {
    uint32_t rva = le32(*file, entry + address), pointer = le32(*file, entry + offset);
    if (!moved(&rva, shift.afterRva, shift.rva) || !moved(&pointer, shift.afterOffset, shift.offset))
      return false;
    put32(file, entry + address, rva);
    put32(file, entry + offset, pointer);
  }
  return true;
}

/// The headers after section `index` grew or shrank to `used` bytes.
bool moveLaterParts(PeImage* image, size_t index, const Shift& shift) {
  for (size_t i = index + 1; i < image->sections.size(); ++i) {
    PeSection& section = image->sections[i];
    if (!moved(&section.virtualAddress, shift.afterRva, shift.rva) ||
        (section.rawSize != 0 && !moved(&section.rawOffset, shift.afterOffset, shift.offset)))
      return false;
  }
  for (size_t i = 0; i < image->directories.size(); ++i)
    if (i != peSecurityDirectory && i != peResourceDirectory &&
        !moved(&image->directories[i].rva, shift.afterRva, shift.rva))
      return false;
  return moved(&image->symbolTable, shift.afterOffset, shift.offset);
}

/// Puts `data` in place of section `index`'s, moving what follows it.
bool replaceSection(std::string* file, PeImage* image, size_t index, std::string data,
                    std::string* error) {
  PeSection& section = image->sections[index];
  uint64_t used = data.size(), raw = bytes::alignUp(used, image->fileAlignment);
  Shift shift{section.virtualAddress, section.rawOffset,
              static_cast<int64_t>(bytes::alignUp(used, image->sectionAlignment)) -
                  static_cast<int64_t>(bytes::alignUp(section.extent(), image->sectionAlignment)),
              static_cast<int64_t>(raw) - section.rawSize};
  *error = "the new resources do not fit in an executable";
  if (file->size() + raw - section.rawSize > maximumImageBytes + 2 * maximumResourceBytes)
    return false;
  PeImage changed = *image;
  int64_t initialized = int64_t{image->initializedDataSize} + shift.offset;
  changed.initializedDataSize =
      static_cast<uint32_t>(std::clamp<int64_t>(initialized, 0, UINT32_MAX));
  changed.sections[index].virtualSize = static_cast<uint32_t>(used);
  changed.sections[index].rawSize = static_cast<uint32_t>(raw);
  changed.directories[peResourceDirectory].size = static_cast<uint32_t>(used);
  if (!moveLaterParts(&changed, index, shift)) return false;
  uint64_t imageSize = changed.neededImageSize();
  if (imageSize > UINT32_MAX) return false;
  changed.imageSize = static_cast<uint32_t>(imageSize);
  std::string result = *file;
  data.resize(raw, '\0');
  result.replace(section.rawOffset, section.rawSize, data);
  if (!moveDebugData(&result, changed, shift)) return false;
  writePeHeaders(changed, &result);
  file->swap(result);
  *image = changed;
  error->clear();
  return true;
}

bool entryLess(const ResourceEntry* a, const ResourceEntry* b) {
  if (!keyEqual(a->type, b->type)) return keyLess(a->type, b->type);
  if (!keyEqual(a->name, b->name)) return keyLess(a->name, b->name);
  return a->language < b->language;
}

std::vector<const ResourceEntry*> sorted(const std::vector<ResourceEntry>& entries) {
  std::vector<const ResourceEntry*> order;
  order.reserve(entries.size());
  for (const ResourceEntry& entry : entries) order.push_back(&entry);
  std::sort(order.begin(), order.end(), entryLess);
  return order;
}

bool sameEntries(const std::vector<ResourceEntry>& a, const std::vector<ResourceEntry>& b) {
  if (a.size() != b.size()) return false;
  std::vector<const ResourceEntry*> left = sorted(a), right = sorted(b);
  for (size_t i = 0; i < left.size(); ++i)
    if (entryLess(left[i], right[i]) || entryLess(right[i], left[i]) ||
        left[i]->codePage != right[i]->codePage || left[i]->data != right[i]->data)
      return false;
  return true;
}

/// The tree of `entries`; false when two of them share type, name and
/// language or they exceed the limits.
bool treeOf(const std::vector<ResourceEntry>& entries, TypeMap* tree, std::string* error) {
  uint64_t total = 0;
  for (const ResourceEntry& entry : entries) {
    total += entry.data.size() + 2 * (entry.type.text.size() + entry.name.text.size());
    if (!(*tree)[entry.type][entry.name].emplace(entry.language, &entry).second) {
      *error = "two of its resources have the same type, name and language";
      return false;
    }
  }
  if (entries.size() <= maximumResources && total <= 2 * maximumResourceBytes) return true;
  *error = "the new resources are too many or too large";
  return false;
}

}  // namespace

bool readResources(std::string_view file, std::vector<ResourceEntry>* entries,
                   std::string* error) {
  PeImage image;
  if (!readPeImage(file, &image, error)) return false;
  uint32_t rva = image.directories[peResourceDirectory].rva;
  const PeSection* section = image.sectionOf(rva);
  size_t base = image.offsetOf(rva, 16);
  if (rva == 0 || base == std::string::npos) {
    *error = "it has no resources";
    return false;
  }
  size_t end = size_t{section->rawOffset} + section->rawSize;
  return TreeReader(file, image, base, end).read(entries, error);
}

bool writeResources(std::string* file, const std::vector<ResourceEntry>& entries,
                    std::string* error) {
  PeImage image;
  size_t resources = 0;
  TypeMap tree;
  if (!readPeImage(*file, &image, error) || !findResourceSection(image, &resources, error) ||
      !checkMovable(image, resources, error) || !treeOf(entries, &tree, error))
    return false;
  uint32_t rva = image.sections[resources].virtualAddress;
  return replaceSection(file, &image, resources, SectionWriter(tree, rva).write(), error);
}

bool checkWrittenResources(std::string_view file, const std::vector<ResourceEntry>& entries,
                           std::string* error) {
  PeImage image;
  size_t resources = 0;
  std::vector<ResourceEntry> found;
  if (!readPeImage(file, &image, error) || !findResourceSection(image, &resources, error) ||
      !readResources(file, &found, error))
    return false;
  const PeSection& section = image.sections[resources];
  if (image.checkSum != peChecksum(file, image.checkSumField()))
    *error = "its checksum is wrong";
  else if (image.imageSize != image.neededImageSize())
    *error = "its SizeOfImage is wrong";
  else if (image.directories[peResourceDirectory].size != section.virtualSize)
    *error = "its resource directory does not fill its section";
  else if (!sameEntries(found, entries))
    *error = "its resources are not the ones written";
  else
    return true;
  return false;
}
