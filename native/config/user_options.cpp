#include "user_options.h"

#include <algorithm>
#include <cerrno>

#include "file_system.h"
#include "input_file.h"
#include "paths.h"

namespace {

void warn(Diagnostics* diagnostics, const std::string& path, std::string message,
          uint64_t line = 0) {
  Diagnostic diagnostic;
  diagnostic.message = std::move(message);
  diagnostic.file = path;
  diagnostic.line = line;
  diagnostics->push_back(std::move(diagnostic));
}

bool isBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

std::string_view trimmed(std::string_view line) {
  while (!line.empty() && isBlank(line.front())) line.remove_prefix(1);
  while (!line.empty() && isBlank(line.back())) line.remove_suffix(1);
  return line;
}

/// Why the options file, or its folder, may hold someone else's options:
/// another user could make the app run anything. Empty when it is safe.
std::string untrustedFile(const std::string& path) {
  if (!statFile(path).exists) return std::string();
  std::string reason = untrustedReason(path);
  if (!reason.empty()) return reason;
  const size_t cut = path.find_last_of("/\\");
  const std::string folder = cut == std::string::npos ? "." : path.substr(0, cut);
  std::string folderReason = untrustedReason(folder);
  if (folderReason.empty()) return folderReason;
  return "its folder " + folder + folderReason.substr(std::string("it").size());
}

}  // namespace

std::string userOptionsPath(const std::string& configDirectory, const std::string& appName) {
  if (configDirectory.empty() || appName.empty()) return std::string();
  return joinPath(joinPath(configDirectory, appName), appName + ".vmoptions");
}

bool readUserOptions(const std::string& path, const Macros& macros,
                     std::vector<std::string>* options, Diagnostics* diagnostics) {
  if (path.empty()) return false;
  const std::string untrusted = untrustedFile(path);
  if (!untrusted.empty()) {
    warn(diagnostics, path, "ignoring VM options file " + path + ": " + untrusted);
    return false;
  }
  std::string bytes;
  bool opened = false;
  const int failure = readInputFile(path, &bytes, &opened);
  if (failure == ENOENT || failure == ENOTDIR) return false;  // no file: nothing to add
  if (failure) {
    warn(diagnostics, path,
         "failed to read VM options file " + path + ": " + inputFileError(failure));
    return false;
  }
  if (looksLikeUtf16(bytes)) {
    warn(diagnostics, path,
         "ignoring VM options file " + path + ": it looks like UTF-16; save it as UTF-8");
    return true;
  }
  std::string_view text(bytes);
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  uint64_t number = 0;
  while (!text.empty()) {
    const size_t end = std::min(text.find('\n'), text.size());
    const std::string_view line = trimmed(text.substr(0, end));
    text.remove_prefix(std::min(end + 1, text.size()));
    ++number;
    if (line.empty() || line[0] == '#') continue;
    if (holdsNulByte(line))
      warn(diagnostics, path,
           "ignoring line " + std::to_string(number) + " of VM options file " + path +
               ": it holds a NUL byte",
           number);
    else
      options->push_back(expandMacros(line, macros));
  }
  return true;
}
