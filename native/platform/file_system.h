// The file operations of the startup cache and the splash screen: status,
// folders, atomic replacement. Paths are UTF-8 on Windows (wide calls below)
// and bytes on POSIX.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

/// What the system says about one path (symbolic links followed).
struct FileStamp {
  bool exists = false;
  bool directory = false;
  /// A plain file: neither a folder nor a FIFO, socket or device.
  bool regular = false;
  uint64_t size = 0;
  int64_t modified = 0;     ///< modification time in the system's own units
};

FileStamp statFile(const std::string& path);

/// Whether `path` names a folder (after symbolic links).
bool isDirectory(const std::string& path);

/// Creates `path` and its missing parents; true when it is a folder afterwards.
bool makeDirectories(const std::string& path);

/// Creates an empty file that must not exist yet; false when the folder
/// cannot be written or the file exists.
bool createNewFile(const std::string& path);

/// Renames `from` to `to` in one step, replacing `to` if it exists.
bool replaceFile(const std::string& from, const std::string& to);

bool removeFile(const std::string& path);

/// The names of a folder's entries without "." and ".."; empty on failure.
std::vector<std::string> listDirectory(const std::string& path);

/// The current working directory, absolute; empty when unknown.
std::string currentDirectory();

/// This process's id, for file names no other process uses at the same time.
unsigned long currentProcessId();
