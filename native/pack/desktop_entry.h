// The Linux desktop's files for an application: its desktop entry and the
// shared-mime-info description of its document types.
#pragma once

#include <string>
#include <vector>

#include "pack_options.h"

struct DesktopEntry {
  std::string name;
  std::string comment;
  std::string program;          ///< Exec's program: a path or a name on PATH
  std::string fieldCode;        ///< "", "%F" or "%U"
  std::string icon;             ///< a path or a theme icon name; empty: none
  std::string workingFolder;    ///< Path; empty: none
  std::string startupWmClass;   ///< empty: none
  std::vector<std::string> mimeTypes;
};

/// The text of a .desktop file.
std::string desktopEntryText(const DesktopEntry& entry);

/// The WM_CLASS the Java toolkit gives the windows of an application whose
/// main class is `mainClass`: its name with '-' for '.'.
std::string javaWindowClass(const std::string& mainClass);

/// The MIME type of an association: the one given, else
/// application/x-PACKAGE-EXT.
std::string mimeTypeOf(const FileAssociation& association, const std::string& package);

/// A shared-mime-info package file defining the associations' types.
std::string mimeInfoXml(const std::vector<FileAssociation>& associations,
                        const std::string& package);

/// The entry of an installed package: its program on PATH, its theme icon,
/// %F or %U when it opens documents or links, and their MIME types.
DesktopEntry packageDesktopEntry(const PackOptions& options, const std::string& package,
                                 bool hasIcon);
