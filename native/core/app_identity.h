// The launcher's identity as its own file gives it: the app folder and the
// program name that names the per-user folders.
#pragma once

#include <string>

struct AppIdentity {
  /// The launcher's folder without a trailing separator ("/" and "C:\" keep
  /// theirs); empty when the path names no folder.
  std::string directory;
  /// The launcher's file name without ".exe" (any letter case).
  std::string name;
};

/// The identity of the launcher whose file is `launcherPath`. The folder
/// ends where programPathSplit splits the path.
AppIdentity appIdentityOf(const std::string& launcherPath);
