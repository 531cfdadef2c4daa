// Class path argument files: text files that hold the class path after a
// "-classpath" token, named in the configuration's "classPath" array.
#pragma once

#include <string>
#include <vector>

#include "diagnostics.h"
#include "json.h"
#include "macros.h"

/// True when a class path entry names an argument file: it ends in ".txt"
/// (case-sensitive; ".txt" alone counts).
bool isArgumentFile(const std::string& entry);

/// What reading one argument file found.
struct ArgumentFile {
  bool readable = false;   ///< opened and read up to the marker's list or the end
  std::string error;       ///< the system's reason when not readable
  bool hasMarker = false;  ///< a token of 10 or more bytes starting with "-classpath"
  bool hasList = false;    ///< a token followed the marker
  bool looksLikeUtf16 = false;  ///< starts with a UTF-16 byte order mark or NUL byte
  std::vector<std::string> entries;  ///< the list's pieces; empty unless readable
};

/// Reads the argument file `path` (binary, bytes unchanged, a leading UTF-8
/// byte order mark skipped) up to the token after its first marker and
/// splits that token into class path entries.
ArgumentFile readArgumentFile(const std::string& path);

/// Appends the pieces of a path list to `entries`: the text before each
/// `separator` (even when empty), then the text after the last separator
/// when it is not empty.
void appendPathList(const std::string& list, char separator,
                    std::vector<std::string>& entries);

/// Where a "classPath" array comes from and how its entries are read.
struct ClassPathSource {
  std::string configPath;        ///< named in messages
  std::string workingDirectory;  ///< "" or a path ending in a separator
  Macros macros;
};

/// True when a class path entry names the jars of a folder, as the java
/// command reads it: "*" alone or after a separator ("lib/*").
bool isFolderWildcard(const std::string& entry);

/// True for a file name the java command takes from a folder wildcard: one
/// ending in ".jar" or ".JAR".
bool isJarName(const std::string& name);

/// The class path entries in order, and for each the argument file or the
/// folder wildcard (as written in the configuration) it came from, "" when
/// written directly.
struct ClassPath {
  std::vector<std::string> entries;
  std::vector<std::string> origins;
};

/// Expands a "classPath" array: macros are replaced in its strings and in
/// the lists of argument files, entries ending in ".txt" are argument files
/// whose list after the first "-classpath" token takes their place, and a
/// folder wildcard ("lib/*") gives the jars of its folder sorted by name
/// (jars whose name holds the path-list separator left out). Values
/// that are not strings, hold a NUL byte or are empty are left out with a
/// diagnostic.
ClassPath expandClassPath(const JsonValue& array, const ClassPathSource& source,
                          Diagnostics* diagnostics);
