// The manifest of a jar (META-INF/MANIFEST.MF): the attributes of its main
// section, and its Class-Path entries resolved as the Java runtime resolves
// them.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "jar_listing.h"

struct JarManifest {
  /// The main section's attributes in file order, continuation lines joined.
  std::vector<std::pair<std::string, std::string>> attributes;

  /// The value of the attribute `name` (ASCII case ignored, as Java does);
  /// empty when there is none.
  std::string value(std::string_view name) const;
};

/// The main section of a manifest's text (lines ending in CR LF, LF or CR;
/// a line starting with a space continues the one before).
JarManifest parseManifest(std::string_view text);

/// The manifest of the jar `path` whose directory is `entries` (its name
/// compared ignoring case); an empty one when the jar has none. False with
/// the reason when it cannot be read.
bool readManifest(const std::string& path, const std::vector<JarEntry>& entries,
                  JarManifest* manifest, std::string* error);

/// One entry of a Class-Path attribute.
struct ClassPathReference {
  std::string text;     ///< as written
  std::string path;     ///< the file or folder it names; empty when it names none
  bool folder = false;  ///< written with a trailing '/': a class folder
};

/// The entries of the Class-Path value `value` of a jar in `jarFolder`:
/// separated by spaces, each a URL relative to the jar's own: a relative
/// path joins the jar's folder, "/x" and "file:/x" (percent escapes
/// decoded) are absolute; other schemes name no file.
std::vector<ClassPathReference> classPathReferences(std::string_view value,
                                                    const std::string& jarFolder);

/// The words of a manifest value separated by spaces ("java.base/java.lang
/// java.desktop/sun.awt").
std::vector<std::string> manifestWords(std::string_view value);
