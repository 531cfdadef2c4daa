// The modules of a runtime made with jlink: those the app's jars use, the
// service providers a desktop app uses without naming them, and those the
// user and the VM options name.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "pack_options.h"

/// A service-provider module every runtime made with jlink gets when the
/// JDK has it and, for some, when the set holds `when` already: no analysis
/// finds them, since apps reach them through java.util.ServiceLoader or by
/// name.
struct ServiceModule {
  const char* name;
  const char* when;  ///< "" for always
};
extern const ServiceModule serviceModules[5];

/// The modules for jlink: --modules as given; else those the app uses (the
/// `requires` of its modular jars, what jdeps finds in its other jars and
/// in `classFolders`), the service modules, --add-modules and `named` (the
/// modules the app's VM options name) that the JDK has. `jars` are every
/// jar of the app folder. False with the reason: a jdeps failure names the
/// jar and the options that help, never a stack trace.
bool chooseModules(const PackOptions& options, const std::vector<std::string>& jars,
                   const std::vector<std::string>& classFolders,
                   const std::vector<std::string>& named, std::ostream& progress,
                   std::vector<std::string>* modules, std::string* error);

/// Reads a module-info.class: the module's name and the modules it
/// requires. False when `classFile` is not one.
bool readModuleInfo(const std::string& classFile, std::string* name,
                    std::vector<std::string>* requires);
