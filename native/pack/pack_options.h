// The command line of vantrel-pack: what to package, and how.
#pragma once

#include <string>
#include <vector>

#include "target_os.h"

/// The system the app folder is made for.
using PackTarget = TargetOs;

/// How jlink stores the runtime's classes and resources (lib/modules).
enum class PackCompression { None, Zip };

/// A kind of document the installed application opens: "EXT:DESCRIPTION[:MIME-TYPE]".
struct FileAssociation {
  std::string extension;    ///< without the dot
  std::string description;
  std::string mimeType;     ///< empty: the installers name one
};

/// Another launcher in the app folder: --add-launcher NAME=FILE.
struct ExtraLauncher {
  std::string name;
  std::string file;  ///< its properties or JSON file, read when the inputs are checked
};

struct PackOptions {
  std::string name;
  std::string mainClass;                ///< empty: the main jar's Main-Class
  std::vector<std::string> inputs;      ///< folders copied into lib/ as they are, or files
  std::string mainJar;                  ///< empty: the top-level jars of the inputs
  std::vector<std::string> classPath;   ///< --class-path entries, as given
  std::vector<std::string> resources;   ///< folders copied into the app folder
  std::vector<std::string> nativeLibs;  ///< native libraries or folders holding them
  std::vector<std::string> arguments;   ///< passed to main before the user's
  std::vector<ExtraLauncher> extraLaunchers;
  std::string output;
  PackTarget target = PackTarget::Linux;
  std::string launcher;  ///< empty: the launcher installed beside vantrel-pack
  std::string jdk;
  std::string runtime;
  std::string jmods;
  std::vector<std::string> addModules;  ///< added to the modules found
  std::vector<std::string> modules;     ///< --modules: the runtime's modules instead
  bool modulesGiven = false;
  PackCompression compression = PackCompression::None;  ///< zip by default with startupCache
  std::string icon;
  std::string appVersion = "1.0.0";
  std::string vendor;
  std::string description;
  std::string copyright;
  std::vector<std::string> vmOptions;
  bool startupCache = false;
  std::vector<std::string> trainingArgs;  ///< the arguments of the training run
  unsigned trainingSeconds = 0;           ///< 0: the training run ends by itself
  bool singleInstance = false;            ///< one instance per user (the main launcher)
  std::string launchReceiver;             ///< with it: the method taking later launches
  int restartExitCode = 0;                ///< 0: none
  std::string splash;
  bool zip = false;
  bool force = false;
  std::vector<std::string> installers;  ///< "msi", "deb", "rpm", each once, in order given
  bool machineScope = false;            ///< msi: Program Files and HKLM instead of the user's
  std::string upgradeCode;              ///< msi; empty: derived from vendor and name
  std::vector<FileAssociation> associations;
  std::vector<std::string> urlSchemes;  ///< lower case
  bool desktopShortcut = false;
  std::string maintainer;               ///< deb Maintainer, rpm Packager: "NAME <EMAIL>"
  std::string signPkcs12;
  std::string signPasswordVariable;
  std::string timestampUrl;
  std::string appUserModelId;           ///< always set: given or made from vendor and name
  int verifySeconds = 0;                ///< --verify: how long the app runs hidden from the host; 0: no check
};

/// The outcome of reading the command line: the options, or help to show,
/// or a message for a command line that cannot be used.
struct PackCommandLine {
  PackOptions options;
  bool showHelp = false;
  std::string error;
  std::string help;
};

/// "linux" or "windows".
const char* targetName(PackTarget target);

/// Reads `arguments` (without the program name, UTF-8) into options and
/// checks what can be checked without touching files.
PackCommandLine parsePackCommandLine(const std::vector<std::string>& arguments);

/// The four 16-bit parts of a version "X[.Y[.Z[.W]]]"; false when it is not
/// one to four numbers of 0 to 65535 separated by dots.
bool parseAppVersion(const std::string& text, unsigned short parts[4]);
