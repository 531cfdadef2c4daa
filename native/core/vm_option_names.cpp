#include "vm_option_names.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>

#include "bytes.h"
#include "input_file.h"

namespace {

/// The most a read-only data section may take: a runtime library's is
/// about 1 MiB; a crafted file must not make the launcher read gigabytes.
const uint64_t sectionLimit = 64ULL << 20;

/// A section: where its bytes lie in the file.
struct Section {
  uint64_t offset = 0;
  uint64_t size = 0;
};

/// Reads `size` bytes at `offset` of an open file; false when the file
/// holds fewer.
bool readAt(std::FILE* file, uint64_t offset, uint64_t size, std::string* bytes) {
  if (offset > static_cast<uint64_t>(LONG_MAX) || size > sectionLimit) return false;
  if (std::fseek(file, static_cast<long>(offset), SEEK_SET) != 0) return false;
  bytes->resize(static_cast<size_t>(size));
  return size == 0 || std::fread(&(*bytes)[0], 1, bytes->size(), file) == bytes->size();
}

/// The section `wanted` of a 64-bit little-endian ELF file.
bool findElfSection(std::FILE* file, const std::string& header, std::string_view wanted,
                    Section* found) {
  if (!bytes::fits(header, 0, 64) || header[4] != 2 || header[5] != 1) return false;
  const uint64_t tableOffset = bytes::le64(header, 0x28);
  const uint32_t entrySize = bytes::le16(header, 0x3A);
  const uint32_t count = bytes::le16(header, 0x3C);
  const uint32_t namesIndex = bytes::le16(header, 0x3E);
  std::string table;
  if (entrySize < 64 || namesIndex >= count ||
      !readAt(file, tableOffset, uint64_t{entrySize} * count, &table))
    return false;
  const size_t namesEntry = size_t{entrySize} * namesIndex;
  std::string names;
  if (!readAt(file, bytes::le64(table, namesEntry + 24), bytes::le64(table, namesEntry + 32),
              &names))
    return false;
  for (uint32_t i = 0; i < count; ++i) {
    const size_t entry = size_t{entrySize} * i;
    const size_t name = bytes::le32(table, entry);
    if (name >= names.size() || names.compare(name, wanted.size() + 1,
                                              std::string(wanted) + '\0') != 0)
      continue;
    *found = {bytes::le64(table, entry + 24), bytes::le64(table, entry + 32)};
    return true;
  }
  return false;
}

/// The section `wanted` (at most 8 bytes) of a PE file.
bool findPeSection(std::FILE* file, const std::string& header, std::string_view wanted,
                   Section* found) {
  const uint32_t peOffset = bytes::fits(header, 0x3C, 4) ? bytes::le32(header, 0x3C) : 0;
  std::string coff;
  if (!readAt(file, peOffset, 24, &coff) || coff.compare(0, 4, std::string("PE\0\0", 4)) != 0)
    return false;
  const uint32_t count = bytes::le16(coff, 6);
  std::string table;
  if (!readAt(file, uint64_t{peOffset} + 24 + bytes::le16(coff, 20), uint64_t{count} * 40,
              &table))
    return false;
  std::string name(wanted);
  name.resize(8, '\0');
  for (uint32_t i = 0; i < count; ++i)
    if (table.compare(size_t{i} * 40, 8, name) == 0) {
      *found = {bytes::le32(table, i * 40 + 20), bytes::le32(table, i * 40 + 16)};
      return true;
    }
  return false;
}

/// The read-only data of the library open as `file`, or why there is none.
std::string readOnlyData(std::FILE* file, std::string* problem) {
  std::string header;
  Section section;
  const bool read = readAt(file, 0, 64, &header);
  const bool found =
      read && (header.compare(0, 4, "\x7f" "ELF") == 0
                   ? findElfSection(file, header, ".rodata", &section)
                   : header.compare(0, 2, "MZ") == 0 && findPeSection(file, header, ".rdata", &section));
  std::string texts;
  if (!found || !readAt(file, section.offset, section.size, &texts)) {
    *problem = "it is not an ELF or PE library with a read-only data section";
    return std::string();
  }
  return texts;
}

/// True when `name`, ended by a NUL byte, is among the texts: alone or as
/// the end of a longer text, where the linker keeps names that end others.
bool holds(const VmOptionNames& names, std::string_view name) {
  if (name.empty()) return false;
  std::string text(name);
  text += '\0';
  return names.texts.find(text) != std::string::npos;
}

bool startsWith(std::string_view text, std::string_view start) {
  return text.substr(0, start.size()) == start;
}

/// -XX:+NAME, -XX:-NAME, -XX:NAME=VALUE: the flag's name, or an option
/// the VM takes whole, such as -XX:Flags=FILE.
bool recognisesFlag(const VmOptionNames& names, std::string_view flag) {
  const size_t equals = flag.find('=');
  if (equals != std::string_view::npos && holds(names, flag.substr(0, equals + 1))) return true;
  std::string_view name = flag.substr(4);
  if (!name.empty() && (name[0] == '+' || name[0] == '-'))
    name.remove_prefix(1);
  else
    name = name.substr(0, name.find('='));
  return holds(names, name);
}

/// "-Xmx512m", "-Xss1m", "-Xrunjdwp:...": a name the value follows at once.
bool recognisesJoinedValue(const VmOptionNames& names, std::string_view option) {
  for (size_t length = option.size() - 1; length >= 4; --length) {
    const std::string_view name = option.substr(0, length);
    const bool number = std::isdigit(static_cast<unsigned char>(option[length])) != 0;
    if ((number || name == "-Xrun") && holds(names, name)) return true;
  }
  return false;
}

}  // namespace

VmOptionNames readVmOptionNames(const std::string& libraryPath) {
  VmOptionNames names;
  std::FILE* file = openInputFile(libraryPath.c_str());
  if (!file) {
    names.problem = inputFileError(errno);
    return names;
  }
  names.texts = readOnlyData(file, &names.problem);
  std::fclose(file);
  // Names every VM of this kind matches; a runtime without them keeps its
  // option names elsewhere, and nothing could be told about it.
  if (names.known() && !(holds(names, "-Xmx") && holds(names, "-XX:Flags="))) {
    names.texts.clear();
    names.problem = "it holds none of the option names of the Java VMs known here";
  }
  return names;
}

bool recognisesVmOption(const VmOptionNames& names, std::string_view option) {
  // An empty option asks for nothing; -D options are system properties.
  if (option.empty() || startsWith(option, "-D")) return true;
  // Without a dash only the launcher's own hooks ("exit", "abort") are options.
  if (!startsWith(option, "-")) return false;
  if (startsWith(option, "-XX:")) return recognisesFlag(names, option);
  if (holds(names, option)) return true;
  const size_t separator = option.find_first_of("=:");
  if (separator != std::string_view::npos && (holds(names, option.substr(0, separator + 1)) ||
                                              holds(names, option.substr(0, separator))))
    return true;
  return startsWith(option, "-X") && option.size() > 4 && recognisesJoinedValue(names, option);
}

std::vector<std::string> unrecognisedVmOptions(const VmOptionNames& names,
                                               const std::vector<std::string>& options) {
  std::vector<std::string> unrecognised;
  if (!names.known()) return unrecognised;
  for (const std::string& option : options)
    if (!recognisesVmOption(names, option)) unrecognised.push_back(option);
  return unrecognised;
}
