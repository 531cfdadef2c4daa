#include "input_file.h"

#include <windows.h>
#include <io.h>

#include <cerrno>

// Windows keeps no FIFOs in the file system: named pipes have a namespace of
// their own, and opening one that no process serves fails at once.
std::FILE* openInputFile(const char* path) {
  std::FILE* file = std::fopen(path, "rb");
  if (!file) return nullptr;
  HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
  if (GetFileType(handle) == FILE_TYPE_CHAR) {  // CON, NUL, COM1, ...
    std::fclose(file);
    errno = ENODEV;
    return nullptr;
  }
  return file;
}
