// The resources of a 64-bit Windows executable (PE32+): read them all, and
// write a new resource section in place of the old one.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

/// A resource type or name: a number, or a UTF-16 text when `named` is set.
struct ResourceKey {
  uint16_t id = 0;
  std::u16string text;
  bool named = false;
};

struct ResourceEntry {
  ResourceKey type;
  ResourceKey name;
  uint16_t language = 0;
  uint32_t codePage = 0;
  std::string data;
};

/// Resource types the packer replaces.
enum : uint16_t { resourceIcon = 3, resourceIconGroup = 14, resourceVersion = 16,
                  resourceManifest = 24 };

/// The most resources an executable may have for the packer, and the most
/// bytes they may hold in all (their data and their names).
constexpr size_t maximumResources = 1 << 16;
constexpr uint64_t maximumResourceBytes = 64u << 20;

/// Reads every resource of the executable image `file`. False with the
/// reason in `error` when the file is not a PE32+ image the packer can
/// rewrite, its resource directory is damaged or its resources exceed the
/// limits above. Time and memory grow with the file's size only.
bool readResources(std::string_view file, std::vector<ResourceEntry>* entries,
                   std::string* error);

/// Replaces the resource section of `file` with one holding `entries`. The
/// sections after it may only be discardable ones (base relocations, debug
/// information): they move with the new size. Section sizes, SizeOfImage,
/// the data directories and the checksum are brought up to date.
bool writeResources(std::string* file, const std::vector<ResourceEntry>& entries,
                    std::string* error);

/// Checks an image writeResources made, as read back: its headers are in
/// order, its checksum and SizeOfImage are right, its resource directory
/// fills its section and holds exactly `entries`. False with the reason.
bool checkWrittenResources(std::string_view file, const std::vector<ResourceEntry>& entries,
                           std::string* error);
