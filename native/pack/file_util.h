// Files and folders for vantrel-pack: paths are UTF-8 texts; every function
// returns false with the reason in `error` instead of throwing.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "whole_file.h"

/// A path from a UTF-8 text (the narrow character set on Windows is not UTF-8).
std::filesystem::path pathOf(const std::string& utf8);

/// A path as a UTF-8 text.
std::string textOf(const std::filesystem::path& path);

bool writeWholeFile(const std::string& path, const std::string& data, std::string* error);

/// Copies a file, keeping its permissions (the executable bit).
bool copyOneFile(const std::string& from, const std::string& to, std::string* error);

/// Copies a folder with everything in it; symbolic links are copied as the
/// files they name.
bool copyFolder(const std::string& from, const std::string& to, std::string* error);

/// Total size in bytes of the regular files under a folder.
unsigned long long folderSize(const std::string& folder);

/// The regular files of `folder` whose names end in `suffix`, sorted.
std::vector<std::string> filesEndingIn(const std::string& folder, const std::string& suffix);
