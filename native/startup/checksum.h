// The checksum that the startup cache writes into an archive's name when
// the archive is complete and checks before the VM is given the archive.
#pragma once

#include <cstdint>
#include <string>

/// A 64-bit checksum of the bytes of the regular file `path`, read in one
/// pass (several GB/s); false when the file cannot be read.
bool checksumFile(const std::string& path, uint64_t* sum);

/// `value` as 16 lower-case hexadecimal digits.
std::string hexDigits(uint64_t value);
