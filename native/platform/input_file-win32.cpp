#include "input_file.h"

#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cerrno>

#include "wide_text-win32.h"

namespace {

std::FILE* refuse(HANDLE handle, int error) {
  CloseHandle(handle);
  errno = error;
  return nullptr;
}

int errnoOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
      return EACCES;
    default:
      return EIO;
  }
}

}  // namespace

// Only regular disk files are read. Windows keeps no FIFOs in the file
// system; named pipes and devices (CON, NUL, COM1, ...) are refused at once,
// and so are folders, which the opening below would otherwise accept.
std::FILE* openInputFile(const char* path) {
  const std::wstring wide = wideFromUtf8(path);
  HANDLE handle = CreateFileW(wide.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    errno = errnoOf(GetLastError());
    return nullptr;
  }
  if (GetFileType(handle) != FILE_TYPE_DISK) return refuse(handle, ENODEV);
  BY_HANDLE_FILE_INFORMATION information;
  if (!GetFileInformationByHandle(handle, &information)) return refuse(handle, EIO);
  if (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return refuse(handle, EISDIR);
  const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
  if (descriptor < 0) return refuse(handle, EMFILE);
  std::FILE* file = _fdopen(descriptor, "rb");
  if (!file) _close(descriptor);
  return file;
}
