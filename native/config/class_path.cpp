#include "class_path.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#include "file_system.h"
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

bool isFolderWildcard(const std::string& entry) {
  const size_t n = entry.size();
  return n > 0 && entry[n - 1] == '*' && (n == 1 || isPathSeparator(entry[n - 2]));
}

bool isJarName(const std::string& name) {
  const size_t n = name.size();
  return n > 4 && (name.compare(n - 4, 4, ".jar") == 0 || name.compare(n - 4, 4, ".JAR") == 0);
}

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
  void addEntry(std::string entry, const std::string& origin);
  void addFolderJars(const std::string& wildcard, const std::string& origin);
  void noteMacroInFileName(const std::string& written, const std::string& entry,
                           const std::string& what);
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
  const std::string written(element.text());
  std::string entry = expandMacros(written, source.macros);
  noteMacroInFileName(written, entry, what);
  if (entry.empty())
    warn(ignoring + "it is empty",
         what + " is empty: Java would take it for the working directory; the launcher "
                "skips it");
  else if (isArgumentFile(entry))
    addArgumentFile(entry);
  else
    addEntry(std::move(entry), std::string());
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
  noteMacroInFileName(piece, entry, "class path entry " + quotedText(piece) + from);
  if (entry.empty())
    warn(ignoring + ": it is empty",
         "an empty class path entry" + from +
             ": Java would take it for the working directory; the launcher skips it");
  else
    addEntry(std::move(entry), path);
}

void Expansion::addEntry(std::string entry, const std::string& origin) {
  if (isFolderWildcard(entry))
    addFolderJars(entry, origin);
  else
    add(std::move(entry), origin);
}

/// The jars of the wildcard's folder, sorted by name as bytes: the order
/// must not depend on the file system.
void Expansion::addFolderJars(const std::string& wildcard, const std::string& origin) {
  const std::string prefix = wildcard.substr(0, wildcard.size() - 1);  // "" or "lib/"
  const std::string folder = prefix.empty() ? (source.workingDirectory.empty()
                                                   ? std::string(".")
                                                   : source.workingDirectory)
                                            : resolvePath(source.workingDirectory, prefix);
  const std::string name = "class path entry " + quotedText(wildcard) +
                           (origin.empty() ? "" : " (from " + quotedText(origin) + ")");
  if (!isDirectory(folder)) {
    quiet(name + " names a folder that does not exist" + lookedFor(prefix.empty() ? "." : prefix) +
          "; it adds nothing");
    return;
  }
  std::vector<std::string> jars = listDirectory(folder);
  jars.erase(std::remove_if(jars.begin(), jars.end(),
                            [](const std::string& file) { return !isJarName(file); }),
             jars.end());
  if (jars.empty()) quiet(name + " adds nothing: its folder holds no .jar files");
  std::sort(jars.begin(), jars.end());
  for (const std::string& jar : jars) {
    if (jar.find(pathListSeparator) == std::string::npos) {
      add(prefix + jar, wildcard);
      continue;
    }
    const std::string separator(1, pathListSeparator);
    warn("ignoring " + prefix + jar + " of class path entry " + wildcard + ": its name holds '" +
             separator + "', which separates class path entries",
         "jar " + quotedText(prefix + jar) + " of " + name + " holds '" + separator +
             "', which separates class path entries: the Java VM would take it for two; the "
             "launcher skips it; rename the file");
  }
}

/// A file whose name holds "${" that the launcher reads as a macro: the
/// entry written names it, the expanded one does not.
void Expansion::noteMacroInFileName(const std::string& written, const std::string& entry,
                                    const std::string& what) {
  if (written == entry || written.find("${") == std::string::npos) return;
  const FileStamp literal = statFile(resolvePath(source.workingDirectory, written));
  if (!literal.exists) return;
  Diagnostic diagnostic;
  diagnostic.kind = Diagnostic::Kind::quiet;
  diagnostic.quietError = true;
  diagnostic.detail = what + " names " + quotedText(written) +
                      ", whose name holds \"${\": the launcher reads it as a macro and uses " +
                      quotedText(entry) + "; rename the file";
  diagnostics.push_back(std::move(diagnostic));
}

}  // namespace

ClassPath expandClassPath(const JsonValue& array, const ClassPathSource& source,
                          Diagnostics* diagnostics) {
  Expansion expansion{source, *diagnostics, ClassPath()};
  for (uint64_t i = 0; i < array.size(); ++i) expansion.addElement(i, array.element(i));
  return std::move(expansion.result);
}
