#include "class_path.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <utility>

#include "configuration.h"
#include "input_file.h"
#include "json.h"
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
  int error = 0;  ///< errno of a read error, 0 while none occurred
};

/// The next byte, or EOF at the end of the stream or on a read error.
int nextByte(TokenReader& reader) {
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
  TokenReader reader{openInputFile(path.c_str())};
  if (!reader.file) {
    result.error = inputFileError(errno);
    return result;
  }
  std::string list;
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

/// Appends one class path entry, or the entries of the argument file it names.
void appendEntry(const std::string& entry, std::vector<std::string>& result) {
  if (!isArgumentFile(entry)) {
    result.push_back(entry);
    return;
  }
  ArgumentFile file = readArgumentFile(entry);
  if (!file.readable)
    std::cerr << "Warning: failed to read class path argument file " << entry << ": "
              << file.error << std::endl;
  for (std::string& piece : file.entries) {
    if (holdsNulByte(piece))
      std::cerr << "Warning: ignoring an entry of class path argument file " << entry
                << ": it holds a NUL byte" << std::endl;
    else
      result.push_back(std::move(piece));
  }
}

}  // namespace

std::vector<std::string> expandClassPath(const JsonValue& array) {
  std::vector<std::string> result;
  for (uint64_t i = 0; i < array.size(); ++i) {
    JsonValue element = array.element(i);
    const std::string what = "element " + std::to_string(i + 1);
    if (element.type() != JsonType::String)
      warnNotString(what, "classPath", element.type());
    else if (holdsNulByte(element.text()))
      warnNulByte(what, "classPath");
    else
      appendEntry(std::string(element.text()), result);
  }
  return result;
}
