// Zip archives written with libzip.
#include "zip_archive.h"

#include <sys/stat.h>
#include <zip.h>

#include <cstdint>

#include <filesystem>

#include "file_util.h"

namespace fs = std::filesystem;

namespace {

std::string zipError(zip_t* archive) { return zip_strerror(archive); }

/// Adds the extended timestamp field (modification time in UTC, to the
/// second): the entry's DOS time has two-second steps and no time zone, and
/// the startup cache needs the times of the unpacked files as they were.
void addUnixTime(zip_t* archive, zip_uint64_t index, const fs::path& path) {
  struct stat status;
  if (stat(path.c_str(), &status) != 0) return;
  const uint32_t seconds = static_cast<uint32_t>(status.st_mtime);
  const zip_uint8_t field[5] = {1, static_cast<zip_uint8_t>(seconds),
                                static_cast<zip_uint8_t>(seconds >> 8),
                                static_cast<zip_uint8_t>(seconds >> 16),
                                static_cast<zip_uint8_t>(seconds >> 24)};
  zip_file_extra_field_set(archive, index, 0x5455, ZIP_EXTRA_FIELD_NEW, field, sizeof field,
                           ZIP_FL_LOCAL | ZIP_FL_CENTRAL);
}

/// Adds one file or folder of the tree; unix permissions go along.
bool addEntry(zip_t* archive, const fs::directory_entry& entry, const std::string& name,
              std::string* error) {
  std::error_code code;
  if (entry.is_directory(code)) {
    if (zip_dir_add(archive, name.c_str(), ZIP_FL_ENC_UTF_8) < 0) {
      *error = "cannot add " + textOf(entry.path()) + " to the zip archive: " + zipError(archive);
      return false;
    }
    return true;
  }
  zip_source_t* source = zip_source_file(archive, entry.path().c_str(), 0, -1);
  zip_int64_t index = source ? zip_file_add(archive, name.c_str(), source, ZIP_FL_ENC_UTF_8) : -1;
  if (index < 0) {
    if (source) zip_source_free(source);
    *error = "cannot add " + textOf(entry.path()) + " to the zip archive: " + zipError(archive);
    return false;
  }
  auto mode = static_cast<zip_uint32_t>(fs::status(entry.path(), code).permissions() & fs::perms::mask);
  addUnixTime(archive, static_cast<zip_uint64_t>(index), entry.path());
  zip_file_set_external_attributes(archive, static_cast<zip_uint64_t>(index), 0, ZIP_OPSYS_UNIX,
                                   (0100000u | mode) << 16);
  return true;
}

}  // namespace

bool zipSupported() { return true; }

bool writeZip(const std::string& folder, const std::string& topName,
              const std::string& zipPath, std::string* error) {
  int failure = 0;
  zip_t* archive = zip_open(zipPath.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &failure);
  if (!archive) {
    *error = "cannot create " + zipPath;
    return false;
  }
  std::error_code code;
  bool ok = zip_dir_add(archive, (topName + "/").c_str(), ZIP_FL_ENC_UTF_8) >= 0;
  for (fs::recursive_directory_iterator it(pathOf(folder), code), end; ok && !code && it != end;
       it.increment(code)) {
    std::string name = topName + "/" + textOf(it->path().lexically_relative(pathOf(folder)));
    ok = addEntry(archive, *it, it->is_directory(code) ? name + "/" : name, error);
  }
  if (ok && code) *error = code.message();
  ok = ok && !code;
  if (!ok) {
    zip_discard(archive);
    return false;
  }
  if (zip_close(archive) != 0) {
    *error = zipError(archive);
    zip_discard(archive);
    return false;
  }
  return true;
}
