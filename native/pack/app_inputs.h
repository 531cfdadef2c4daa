// What an app folder takes from the application as it is: the files of its
// inputs and where they go, its class path and main class (from the main
// jar's manifest and the manifests of every jar on the class path), the
// folders of its native libraries and what the main jar asks of the VM.
// Everything is found and checked before anything is copied.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "folder_copy.h"
#include "pack_options.h"

/// What the main jar's manifest asks of the `java` command.
struct ManifestRequests {
  std::string jar;                      ///< the main jar (its source), empty when none
  std::vector<std::string> addOpens;    ///< "module/package"
  std::vector<std::string> addExports;  ///< "module/package"
  bool enableNativeAccess = false;
  std::string splashEntry;              ///< the splash image's entry in the jar
  std::string agentClass;               ///< Launcher-Agent-Class
};

struct AppPlan {
  CopyList copy;                           ///< the folders and files to copy
  std::vector<std::string> classPath;      ///< inside the app folder, with '/'
  std::vector<std::string> classPathSources;  ///< the same entries where they are now
  std::vector<std::string> jars;           ///< every jar the folder receives, inside it
  /// The folders (inside the app folder, "lib" first) that hold native
  /// libraries of the target's kind.
  std::vector<std::string> nativeFolders;
  std::string mainClass;
  ManifestRequests manifest;
  std::vector<std::string> warnings;       ///< what the user should know
};

/// Finds everything `options` name, in this order: the --input trees (links
/// to files resolved wherever they lead; links to folders followed inside
/// the input only), --resources, --native-lib, the class path with the
/// manifests' Class-Path entries (those outside the inputs copied into
/// lib/), the main class. False with the reason, for the user, in `error`.
bool planApp(const PackOptions& options, AppPlan* plan, std::string* error);

/// "NAME" of a native library file for `target`: lib*.so[.N...] for Linux,
/// *.dll for Windows; built for x86-64 (its header read).
bool isNativeLibrary(const std::string& path, PackTarget target);

/// True when a jar or class folder of the plan's class path holds the class
/// `className`; false with "is in none of ..." or why a jar cannot be read.
bool classPathHolds(const AppPlan& plan, const std::string& className, std::string* error);
