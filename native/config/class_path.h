// Class path argument files: text files that hold the class path after a
// "-classpath" token, named in the configuration's "classPath" array.
#pragma once

#include <string>
#include <vector>

/// True when a class path entry names an argument file: it ends in ".txt"
/// (case-sensitive; ".txt" alone counts).
bool isArgumentFile(const std::string& entry);

/// What reading one argument file found.
struct ArgumentFile {
  bool readable = false;   ///< opened and read up to the marker's list or the end
  std::string error;       ///< the system's reason when not readable
  bool hasMarker = false;  ///< a token of 10 or more bytes starting with "-classpath"
  bool hasList = false;    ///< a token followed the marker
  std::vector<std::string> entries;  ///< the list's pieces; empty unless readable
};

/// Reads the argument file `path` (binary, bytes unchanged) up to the token
/// after its first marker and splits that token into class path entries.
ArgumentFile readArgumentFile(const std::string& path);

/// Appends the pieces of a path list to `entries`: the text before each
/// `separator` (even when empty), then the text after the last separator
/// when it is not empty.
void appendPathList(const std::string& list, char separator,
                    std::vector<std::string>& entries);
