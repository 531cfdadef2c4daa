// Opening the files the launcher reads (configuration and class path
// argument files) so that no kind of file can make it wait for ever.
#pragma once

#include <cstdio>
#include <string>

/// Opens `path` for reading in binary mode, like fopen(path, "rb"), except
/// that a FIFO does not block the opening while no process writes to it: a
/// writer that comes within a moment is waited for, otherwise the FIFO
/// reads as empty. Devices (a terminal, /dev/zero, CON) are refused with
/// ENODEV: their reading may never end. Null on failure, with errno set.
std::FILE* openInputFile(const char* path);

/// The reason for a failure of openInputFile (its errno), for messages.
std::string inputFileError(int error);

/// Reads the whole file `path` through openInputFile (binary, bytes as
/// stored). Returns 0, or the errno of the failure; `opened` tells whether
/// the file could be opened at all.
int readInputFile(const std::string& path, std::string* bytes, bool* opened);
