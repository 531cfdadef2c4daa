// The programs the installers are made with (wixl, dpkg-deb, rpmbuild,
// osslsigncode, ...): found on PATH, run, and their failures reported.
#pragma once

#include <string>
#include <vector>

/// The path of the program `name` on PATH; empty when it is not there.
std::string findOnPath(const std::string& name);

/// Finds each tool of `names` on PATH, in order, into `paths`; false with a
/// message naming the first missing one and the Debian package that has it.
bool findTools(const std::vector<std::string>& names, std::vector<std::string>* paths,
               std::string* error);

/// Runs `command` (command[0] a path) in the folder `folder` (empty: this
/// process's), with its output in `output`; false with the message
/// "TOOL failed (exit status N):" and its output.
bool runToolIn(const std::string& folder, const std::vector<std::string>& command,
               std::string* output, std::string* error);
