// Path texts as the launcher, the checker and the packager take them apart
// and put them together: UTF-8 on Windows, bytes on POSIX. Only texts are
// handled here; nothing looks at the disk.
#pragma once

#include <string>
#include <string_view>

/// The folder separator the system writes: '\\' on Windows, '/' on POSIX.
#ifdef _WIN32
constexpr char pathSeparator = '\\';
#else
constexpr char pathSeparator = '/';
#endif

/// '/' everywhere, and '\\' too on Windows.
bool isPathSeparator(char c);

/// True for an absolute path ("/x"; "C:\x", "\\server\x" on Windows).
bool isAbsolutePath(std::string_view path);

/// `name` inside `folder`: one separator between them, none added after a
/// folder that already ends in one ("/" and "C:\" keep theirs); `name`
/// alone when `folder` is empty.
std::string joinPath(std::string_view folder, std::string_view name);

/// The length of the folder part of `path`, its last separator included;
/// 0 for a bare name.
size_t folderLength(std::string_view path);

/// `directory` ending in a separator ('/' added), as relative paths are
/// joined to it; "" stays "".
std::string asFolder(std::string directory);

/// `path` as it is opened from `directory` ("" or a text ending in a
/// separator): an absolute path ("/x"; on Windows also "\x" and "C:...")
/// as it is, else `directory` followed by `path`.
std::string resolvePath(const std::string& directory, const std::string& path);

/// `path` with each '/' written as the system's separator.
std::string withSystemSeparators(std::string path);

/// Where a program's path splits into folder and file name: at its last
/// '/', or, only when there is none, at its last '\\' (a path typed on
/// Windows may use either). npos when there is neither.
size_t programPathSplit(std::string_view path);
