#include "platform.h"

#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>
#include <malloc.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <vector>

bool changeWorkingDirectory(const std::string& directory) {
  return chdir(directory.c_str()) == 0;
}

bool setEnvironmentVariable(const std::string& name, const std::string& value) {
  return setenv(name.c_str(), value.c_str(), 1) == 0;
}

namespace {

/// The last dynamic-loader failure: dlerror() can be read only once and
/// errno changes with later calls, so both are kept for reportSystemError.
struct LoaderError {
  int code = 0;
  std::string text;
};
LoaderError lastLoaderError;

/// dlopen leaves errno unset for most failures. A plain open of the file
/// tells a missing or unreadable file (ENOENT, EACCES) and a directory
/// (EISDIR) from a file that is there but cannot be loaded (ENOEXEC).
int libraryErrorCode(const char* path) {
  const int descriptor = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (descriptor < 0) return errno;
  struct stat status;
  const bool directory = fstat(descriptor, &status) == 0 && S_ISDIR(status.st_mode);
  close(descriptor);
  return directory ? EISDIR : ENOEXEC;
}

/// The error whose system text ends the loader's message, as in
/// "...: cannot read file data: Is a directory"; 0 when none does.
int codeNamedBy(const std::string& text) {
  for (int code = 1; code < 256; ++code) {
    const std::string reason = std::string(": ") + strerror(code);
    if (text.size() > reason.size() &&
        text.compare(text.size() - reason.size(), reason.size(), reason) == 0)
      return code;
  }
  return 0;
}

/// Keeps the loader's message with the code its text names, else `code`:
/// the code and the text reported must agree.
void rememberLoaderError(int code) {
  const char* text = dlerror();
  lastLoaderError.text = text ? text : "";
  const int named = codeNamedBy(lastLoaderError.text);
  lastLoaderError.code = named ? named : code;
}

/// dlsym sets no errno; a missing entry point is reported as ENOENT.
void* lookUpSymbol(void* library, const char* name) {
  dlerror();
  void* symbol = dlsym(library, name);
  if (!symbol) rememberLoaderError(ENOENT);
  return symbol;
}

}  // namespace

std::string executablePath() {
  std::vector<char> buffer(4096);
  for (;;) {
    ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length < 0) return std::string();
    if (static_cast<size_t>(length) < buffer.size())
      return std::string(buffer.data(), static_cast<size_t>(length));
    buffer.resize(buffer.size() * 2);
  }
}

bool loadVmRuntimeLibrary(const std::string& runtimeHome, const std::string& library,
                          VmEntryPoints* entryPoints) {
  // The path holds a '/', so dlopen never searches LD_LIBRARY_PATH for it.
  const std::string path = runtimeHome + '/' + library;
  void* loaded = dlopen(path.c_str(), RTLD_NOW | RTLD_GLOBAL);
  if (!loaded) {
    rememberLoaderError(libraryErrorCode(path.c_str()));
    reportSystemError(("load " + library.substr(library.rfind('/') + 1)).c_str());
    return false;
  }
  entryPoints->getDefaultArgs = lookUpSymbol(loaded, "JNI_GetDefaultJavaVMInitArgs");
  if (!entryPoints->getDefaultArgs) {
    reportSystemError("obtain JNI_GetDefaultJavaVMInitArgs address");
    return false;
  }
  entryPoints->createVm = lookUpSymbol(loaded, "JNI_CreateJavaVM");
  if (!entryPoints->createVm) {
    reportSystemError("obtain JNI_CreateJavaVM address");
    return false;
  }
  return true;
}

void reportSystemError(const char* description) {
  int code = errno;
  std::string text;
  if (!lastLoaderError.text.empty() || lastLoaderError.code != 0) {
    code = lastLoaderError.code;
    text = lastLoaderError.text;
    lastLoaderError = LoaderError();
  }
  if (text.empty() && code != 0) text = strerror(code);
  if (text.empty()) text = "no description available";
  if (text.back() == '\n') text.pop_back();
  printErrorLine("Error code [" + std::to_string(static_cast<unsigned>(code)) +
                 "] when trying to " + description + ": " + text);
}

namespace {

// Through stdio rather than the C++ streams: their set-up at start-up costs
// the launcher's process most of its memory above the VM's own.
void writeLine(FILE* stream, const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stream);
  std::fputc('\n', stream);
  std::fflush(stream);
}

}  // namespace

void printLine(const std::string& line) { writeLine(stdout, line); }

void releaseFreeMemory() {
#ifdef __GLIBC__
  malloc_trim(0);
#endif
}

void printErrorLine(const std::string& line) { writeLine(stderr, line); }

namespace {

/// The user's character set (LC_CTYPE from the environment), without
/// touching the process's global locale, which the Java runtime reads.
std::string userCodeset() {
  locale_t userLocale = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(0));
  if (userLocale == static_cast<locale_t>(0)) return "ANSI_X3.4-1968";
  std::string codeset = nl_langinfo_l(CODESET, userLocale);
  freelocale(userLocale);
  return codeset;
}

/// UTF-8 needs no conversion, and the C/POSIX locale is taken as passing
/// bytes through: that is what users of such a locale mean by their bytes.
bool codesetIsUtf8OrPlain(const std::string& codeset) {
  return codeset == "UTF-8" || codeset == "utf8" || codeset == "ANSI_X3.4-1968" ||
         codeset == "ASCII" || codeset == "US-ASCII" || codeset.empty();
}

/// Converts `text` with `converter`; each byte that does not convert (not
/// valid in the character set, or an incomplete sequence at the end)
/// becomes one U+FFFD, and the conversion goes on after it.
std::string convertWithIconv(iconv_t converter, const char* text) {
  char* input = const_cast<char*>(text);
  size_t inputLeft = strlen(text);
  std::string result;
  char buffer[256];
  for (;;) {
    char* out = buffer;
    size_t outputLeft = sizeof buffer;
    // With no input left, the call ends a stateful character set's shift.
    const bool done = inputLeft == 0;
    const size_t converted = done ? iconv(converter, nullptr, nullptr, &out, &outputLeft)
                                  : iconv(converter, &input, &inputLeft, &out, &outputLeft);
    const int error = errno;
    result.append(buffer, out);
    if (done) return result;
    if (converted != static_cast<size_t>(-1) || error == E2BIG) continue;
    result += "\xEF\xBF\xBD";
    ++input;
    --inputLeft;
  }
}

}  // namespace

std::string toUtf8(const char* text) {
  static const std::string codeset = userCodeset();
  if (codesetIsUtf8OrPlain(codeset)) return text;
  iconv_t converter = iconv_open("UTF-8", codeset.c_str());
  // iconv_open fails with the handle (iconv_t)-1.
  // NOLINTNEXTLINE(performance-no-int-to-ptr)
  if (converter == reinterpret_cast<iconv_t>(-1)) return text;
  std::string result = convertWithIconv(converter, text);
  iconv_close(converter);
  return result;
}
