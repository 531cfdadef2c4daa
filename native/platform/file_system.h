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

/// `stamp`'s modification time in whole seconds (since 1970 on POSIX, 1601 on Windows).
int64_t modifiedSeconds(const FileStamp& stamp);

/// Whether `path` names a folder (after symbolic links).
bool isDirectory(const std::string& path);

/// Creates `path` and its missing parents; true when it is a folder afterwards.
/// On POSIX new folders are the user's own (0700), or readable by everyone
/// (0755) when `ownerOnly` is false.
bool makeDirectories(const std::string& path, bool ownerOnly = true);

/// Creates an empty file that must not exist yet; false when the folder
/// cannot be written or the file exists.
bool createNewFile(const std::string& path);

/// Renames `from` to `to` in one step, replacing `to` if it exists.
bool replaceFile(const std::string& from, const std::string& to);

bool removeFile(const std::string& path);

/// The names of a folder's entries without "." and ".."; empty on failure.
std::vector<std::string> listDirectory(const std::string& path);

/// Sets the modification time of `path` to now.
bool touchFile(const std::string& path);

/// Sets the modification time of `path` to `seconds`, counted as
/// modifiedSeconds counts them.
bool setModifiedSeconds(const std::string& path, int64_t seconds);

/// Seconds from `stamp`'s modification time to now (negative for a time
/// still to come).
int64_t secondsSinceModified(const FileStamp& stamp);

/// The bytes this user may still write on the file system holding `path`;
/// UINT64_MAX when the system does not say.
uint64_t freeDiskSpace(const std::string& path);

/// Why the per-user file or folder `path` must not be trusted (read or
/// written), or empty: on POSIX, when it belongs to neither this user nor
/// root ("it is owned by user N") or others than its owner may write to it
/// ("it is writable by group or others"). A missing path is empty; so is
/// every path on Windows, whose profile folders are their user's own.
std::string untrustedReason(const std::string& path);

/// The current working directory, absolute; empty when unknown.
std::string currentDirectory();

/// This process's id, for file names no other process uses at the same time.
unsigned long currentProcessId();
