// vantrel-pack --verify: the packaged app runs for a while with the host's
// Java files hidden (its inputs, the system's jar and JNI folders, the
// JDKs), and what it loads is checked: every class from its runtime or its
// folder, every native library from its folder or the system's, no class
// or library missing.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

#include "app_inputs.h"
#include "pack_options.h"

/// What to run, and what to hide while it runs.
struct VerifyRequest {
  std::string appFolder;                  ///< the packaged folder
  std::string launcher;                   ///< its launcher's file name
  std::vector<std::string> hiddenFolders; ///< hidden behind empty folders
  std::vector<std::string> hiddenFiles;   ///< hidden behind empty files
  int seconds = 10;
};

/// What a verifying run saw.
struct VerifyRun {
  bool hidden = false;              ///< the host's files were hidden (a mount namespace)
  std::string whyNotHidden;         ///< when they were not
  std::string appPath;              ///< the app folder as the run saw it
  int exitStatus = -1;              ///< -1: still running when ended
  std::string classLog;             ///< the VM's class loading log
  std::string output;               ///< what the app printed
  std::vector<std::string> libraries;  ///< the shared libraries mapped at the end
};

/// Runs the app as `request` says (posix: in a mount namespace of its own
/// as root, or in a user namespace; else not hidden). False with the reason
/// when it cannot be run at all.
bool runHidden(const VerifyRequest& request, VerifyRun* run, std::string* error);

/// The folders and files to hide for an app made from `options` and `plan`:
/// the system's Java folders, the inputs and where their files really are,
/// the JDK or runtime. Folders holding the system's own libraries or
/// configuration are never hidden; the app's files in them are, one by one.
VerifyRequest verifyRequest(const PackOptions& options, const AppPlan& plan,
                            const std::string& appFolder);

/// What the run says about the app: the lines of a report; `leaks` set
/// when anything came from outside the app folder or was missing.
std::vector<std::string> judgeRun(const VerifyRun& run, bool* leaks);
