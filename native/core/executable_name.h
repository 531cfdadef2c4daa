// The names of executables: a Windows program's file ends in ".exe", a
// POSIX program's has no extension, and the program's name is its file
// name without ".exe".
#pragma once

#include <string>
#include <string_view>

#include "target_os.h"

/// True when `name` ends in ".exe", in any letter case.
bool endsWithExe(std::string_view name);

/// `name` without a final ".exe" (any letter case).
std::string withoutExe(std::string name);

/// The file name of the program `name` on `os`: "NAME.exe" or "NAME".
std::string executableFileName(const std::string& name, TargetOs os);

/// The file name of the launcher as the build makes it: "Vantrel.exe" or
/// "vantrel".
std::string defaultLauncherFileName(TargetOs os);
