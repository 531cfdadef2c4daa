// Opening the files the launcher reads (configuration and class path
// argument files): only regular files, so that no kind of file can make the
// launcher wait or read without end.
#pragma once

#include <cstdio>
#include <string>

/// Opens `path` for reading in binary mode, like fopen(path, "rb"), but only
/// a regular file (symbolic links followed): anything else is refused at
/// once, without waiting and without reading: a directory with EISDIR, a
/// device (a terminal, /dev/zero, CON) with ENODEV, a FIFO, socket or other
/// special file with ESPIPE. Null on failure, with errno set.
std::FILE* openInputFile(const char* path);

/// The reason for a failure of openInputFile (its errno), for messages.
std::string inputFileError(int error);

/// Reads the whole file `path` through openInputFile (binary, bytes as
/// stored). Returns 0, or the errno of the failure: EFBIG once the file has
/// given more than `limit` bytes, where reading stops. `opened` tells
/// whether the file could be opened at all.
int readInputFile(const std::string& path, std::string* bytes, bool* opened,
                  unsigned long long limit = ~0ULL);
