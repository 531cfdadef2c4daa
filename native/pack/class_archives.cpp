// Which class data archives a packaged runtime keeps, from the app's VM
// options read as the VM reads them.
#include "class_archives.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "file_util.h"

namespace fs = std::filesystem;

namespace {

constexpr double mib = 1024.0 * 1024.0;
constexpr double gib = 1024.0 * mib;

/// A size as the VM reads it: digits, then k, m, g or t in either case;
/// negative when it is not one.
double sizeValue(const std::string& text) {
  size_t end = text.find_first_not_of("0123456789");
  if (text.empty() || end == 0) return -1;
  double value = std::strtod(text.substr(0, end).c_str(), nullptr);
  if (end == std::string::npos) return value;
  const char units[] = "kmgt";
  const char* unit = std::strchr(units, std::tolower(static_cast<unsigned char>(text[end])));
  if (end + 1 != text.size() || !unit || !*unit) return -1;
  for (const char* step = units; step <= unit; ++step) value *= 1024;
  return value;
}

/// A decimal number such as 25 or 37.5; negative when it is not one.
double numberValue(const std::string& text) {
  char* end = nullptr;
  double value = std::strtod(text.c_str(), &end);
  return text.empty() || *end || !(value >= 0) ? -1 : value;
}

/// What the options say about the heap; negative for "not given".
struct HeapSettings {
  double maxHeap = -1;
  double initialHeap = -1;
  double maxRam = -1;
  double maxRamPercentage = -1;
  double alignment = 8;
  bool compressedOopsOff = false;
  bool zgc = false;
};

bool takeValue(const std::string& option, const char* prefix, std::string* value) {
  size_t length = std::strlen(prefix);
  if (option.compare(0, length, prefix) != 0) return false;
  *value = option.substr(length);
  return true;
}

void readOption(const std::string& option, HeapSettings* settings) {
  std::string value;
  if (takeValue(option, "-Xmx", &value) || takeValue(option, "-XX:MaxHeapSize=", &value))
    settings->maxHeap = sizeValue(value);
  else if (takeValue(option, "-Xms", &value) || takeValue(option, "-XX:InitialHeapSize=", &value))
    settings->initialHeap = sizeValue(value);
  else if (takeValue(option, "-XX:MaxRAM=", &value))
    settings->maxRam = sizeValue(value);
  else if (takeValue(option, "-XX:MaxRAMPercentage=", &value))
    settings->maxRamPercentage = numberValue(value);
  else if (takeValue(option, "-XX:ObjectAlignmentInBytes=", &value))
    settings->alignment = std::max(8.0, numberValue(value));
  else if (option == "-XX:-UseCompressedOops" || option == "-XX:+UseCompressedOops")
    settings->compressedOopsOff = option[4] == '-';
  else if (option == "-XX:+UseZGC" || option == "-XX:-UseZGC")
    settings->zgc = option[4] == '+';
}

/// Removes the archives classesPREFIX*.jsa of `serverFolder`.
bool removeArchives(const std::string& serverFolder, const std::string& prefix,
                    std::string* error) {
  const std::string start = "classes" + prefix;
  for (const std::string& name : filesEndingIn(serverFolder, ".jsa")) {
    if (name.compare(0, start.size(), start) != 0) continue;
    const fs::path archive = pathOf(serverFolder) / pathOf(name);
    std::error_code code;
    fs::remove(archive, code);
    if (code) {
      *error = "cannot remove " + textOf(archive) + ": " + code.message();
      return false;
    }
  }
  return true;
}

}  // namespace

bool mayRunWithoutCompressedOops(const std::vector<std::string>& vmOptions) {
  HeapSettings settings;
  for (const std::string& option : vmOptions) readOption(option, &settings);
  if (settings.compressedOopsOff || settings.zgc) return true;
  // The VM gives compressed pointers up a little below their limit (by its
  // heap alignment); the margin keeps the archive for heaps that close.
  const double limit = 32 * gib * (settings.alignment / 8) - 64 * mib;
  if (std::max(settings.maxHeap, settings.initialHeap) >= limit) return true;
  if (settings.maxHeap >= 0) return false;
  // Without a maximum the VM takes a share of the machine's memory, counting
  // at most MaxRAM (128 GiB unless given); it keeps the heap within the
  // limit of compressed pointers unless that share or MaxRAM is given.
  if (settings.maxRamPercentage < 0 && settings.maxRam < 0) return false;
  const double ram = settings.maxRam >= 0 ? settings.maxRam : 128 * gib;
  const double percentage = settings.maxRamPercentage >= 0 ? settings.maxRamPercentage : 25;
  return ram * percentage / 100 >= limit;
}

bool leaveOutUnusedClassArchives(const std::string& serverFolder,
                                 const std::vector<std::string>& vmOptions, std::string* error) {
  return mayRunWithoutCompressedOops(vmOptions) || removeArchives(serverFolder, "_nocoops", error);
}

bool leaveOutRuntimeClassArchives(const std::string& serverFolder, std::string* error) {
  return removeArchives(serverFolder, "", error);
}
