#include "class_path.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#include "input_file.h"
#include "paths.h"
#include "platform.h"

namespace {

const char marker[] = "-classpath";
const size_t markerLength = sizeof marker - 1;

/// The six white-space bytes that separate tokens.
bool isBlank(int c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

/// Reads white-space separated tokens from a stream opened in binary mode.
/// Ends at the end of the stream or at the first read error, so that a file
/// that cannot be read to its end (a directory, a failing device) ends too.
struct TokenReader {
  std::FILE* file;
  int error = 0;        ///< errno of a read error, 0 while none occurred
  std::string start;    ///< the first bytes, read ahead to look for a byte order mark
  size_t startRead = 0;  ///< how many of them were taken
};

/// The next byte, or EOF at the end of the stream or on a read error.
int nextByte(TokenReader& reader) {
  if (reader.startRead < reader.start.size())
    return static_cast<unsigned char>(reader.start[reader.startRead++]);
  int c = std::getc(reader.file);
  if (c == EOF && std::ferror(reader.file)) reader.error = errno ? errno : EIO;
  return c;
}

/// Reads the next token into `token`, keeping only its first `limit` bytes
/// (skipped tokens need no more than the marker's length). False when the
/// stream ends before a token starts.
bool readToken(TokenReader& reader, std::string& token, size_t limit) {
  token.clear();
  int c = nextByte(reader);
  while (c != EOF && isBlank(c)) c = nextByte(reader);
  if (c == EOF) return false;
  for (; c != EOF && !isBlank(c); c = nextByte(reader))
    if (token.size() < limit) token.push_back(static_cast<char>(c));
  return true;
}

/// Reads the first bytes ahead: a UTF-8 byte order mark is dropped (editors
/// write one), and UTF-16 is recognised for the checker's hint.
void readStart(TokenReader& reader, ArgumentFile& file) {
  for (int i = 0; i < 3; ++i) {
    const int c = std::getc(reader.file);
    if (c == EOF) break;
    reader.start += static_cast<char>(c);
  }
  const std::string& start = reader.start;
  file.looksLikeUtf16 = looksLikeUtf16(start);
  if (start == "\xEF\xBB\xBF") reader.start.clear();
}

/// Skips tokens up to the first marker and reads the token after it.
void readMarkerList(TokenReader& reader, ArgumentFile& file, std::string& list) {
  std::string token;
  while (readToken(reader, token, markerLength)) {
    if (token != marker) continue;  // shorter, or not starting with it
    file.hasMarker = true;
    file.hasList = readToken(reader, list, std::string::npos);
    return;
  }
}

}  // namespace

bool isArgumentFile(const std::string& entry) {
  const size_t n = entry.size();
  return n >= 4 && entry.compare(n - 4, 4, ".txt") == 0;
}

void appendPathList(const std::string& list, char separator,
                    std::vector<std::string>& entries) {
  size_t start = 0;
  for (size_t end; (end = list.find(separator, start)) != std::string::npos;
       start = end + 1)
    entries.push_back(list.substr(start, end - start));
  if (start < list.size()) entries.push_back(list.substr(start));
}

ArgumentFile readArgumentFile(const std::string& path) {
  ArgumentFile result;
  TokenReader reader{openInputFile(path.c_str()), 0, std::string(), 0};
  if (!reader.file) {
    result.error = inputFileError(errno);
    return result;
  }
  std::string list;
  readStart(reader, result);
  readMarkerList(reader, result, list);
  std::fclose(reader.file);
  if (reader.error) {
    result.error = std::strerror(reader.error);
    return result;
  }
  result.readable = true;
  if (result.hasList) appendPathList(list, pathListSeparator, result.entries);
  return result;
}

namespace {

/// Expands one "classPath" array, collecting entries and diagnostics.
struct Expansion {
  const ClassPathSource& source;
  Diagnostics& diagnostics;
  ClassPath result;

  void warn(std::string message, std::string detail) {
    Diagnostic diagnostic;
    diagnostic.message = std::move(message);
    diagnostic.detail = std::move(detail);
    diagnostics.push_back(std::move(diagnostic));
  }

  void quiet(std::string detail) {
    Diagnostic diagnostic;
    diagnostic.kind = Diagnostic::Kind::quiet;
    diagnostic.detail = std::move(detail);
    diagnostics.push_back(std::move(diagnostic));
  }

  /// " (looked for "PATH")" when the path opened differs from the one written.
  std::string lookedFor(const std::string& path) const {
    const std::string resolved = resolvePath(source.workingDirectory, path);
    return resolved == path ? std::string() : " (looked for " + quotedText(resolved) + ")";
  }

  void add(std::string entry, const std::string& origin) {
    result.entries.push_back(std::move(entry));
    result.origins.push_back(origin);
  }

  void addElement(uint64_t index, const JsonValue& element);
  void addArgumentFile(const std::string& path);
  void addPiece(const std::string& path, const std::string& piece);
};

void Expansion::addElement(uint64_t index, const JsonValue& element) {
  const std::string what = "element " + std::to_string(index + 1) + " of 'classPath'";
  const std::string ignoring = "ignoring " + what + " in " + source.configPath + ": ";
  if (element.type() != JsonType::String) {
    const char* kind = describeKind(element.type());
    warn(ignoring + "expected a string, found " + kind,
         what + " is " + kind + ": expected a string; the launcher skips it");
    return;
  }
  if (holdsNulByte(element.text())) {
    warn(ignoring + "it holds a NUL byte", what + " holds a NUL byte; the launcher skips it");
    return;
  }
  std::string entry = expandMacros(element.text(), source.macros);
  if (entry.empty())
    warn(ignoring + "it is empty",
         what + " is empty: Java would take it for the working directory; the launcher "
                "skips it");
  else if (isArgumentFile(entry))
    addArgumentFile(entry);
  else
    add(std::move(entry), std::string());
}

void Expansion::addArgumentFile(const std::string& path) {
  const std::string name = "class path argument file " + quotedText(path);
  const ArgumentFile file = readArgumentFile(resolvePath(source.workingDirectory, path));
  const std::string utf16 =
      file.looksLikeUtf16 ? " (it looks like UTF-16: save it as UTF-8)" : "";
  if (!file.readable)
    warn("failed to read class path argument file " + path + ": " + file.error,
         name + lookedFor(path) + " cannot be read (" + file.error +
             "); the launcher skips it");
  else if (!file.hasMarker)
    quiet(name +
          " has no \"-classpath\" token: expected \"-classpath\" followed by a list of "
          "entries; it adds nothing" + utf16);
  else if (!file.hasList)
    quiet(name +
          " ends right after its \"-classpath\" token: expected a list of entries after "
          "it; it adds nothing");
  for (const std::string& piece : file.entries) addPiece(path, piece);
}

void Expansion::addPiece(const std::string& path, const std::string& piece) {
  const std::string from = " (from " + quotedText(path) + ")";
  const std::string ignoring = "ignoring an entry of class path argument file " + path;
  if (holdsNulByte(piece)) {
    warn(ignoring + ": it holds a NUL byte",
         "class path entry " + quotedText(piece) + from +
             " holds a NUL byte; the launcher skips it");
    return;
  }
  std::string entry = expandMacros(piece, source.macros);
  if (entry.empty())
    warn(ignoring + ": it is empty",
         "an empty class path entry" + from +
             ": Java would take it for the working directory; the launcher skips it");
  else
    add(std::move(entry), path);
}

}  // namespace

ClassPath expandClassPath(const JsonValue& array, const ClassPathSource& source,
                          Diagnostics* diagnostics) {
  Expansion expansion{source, *diagnostics, ClassPath()};
  for (uint64_t i = 0; i < array.size(); ++i) expansion.addElement(i, array.element(i));
  return std::move(expansion.result);
}
