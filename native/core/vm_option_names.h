// Which VM options a Java runtime recognises. The launcher creates the VM
// with ignoreUnrecognized (stored configurations rely on it), so the VM
// passes over an option it does not know without a word. The VM matches
// its options against names compiled into its runtime library ("-Xmx",
// "--add-opens=", the -XX flag names such as "UseZGC"), and those names lie
// among the texts of the library's read-only data: an option that none of
// them can match is one the VM ignores. A name missing from the texts is
// proof; a name present is taken for recognised, so a typing error that
// happens to spell another text goes unnoticed, but no option the VM knows
// is ever reported.
#pragma once

#include <string>
#include <string_view>
#include <vector>

/// The texts of a runtime library's read-only data (".rodata" of an ELF
/// library, ".rdata" of a Windows DLL).
struct VmOptionNames {
  std::string texts;  ///< empty when unknown
  /// Why the texts are unknown: the file cannot be read, is no library of a
  /// known format, or holds none of the names every VM of this kind has.
  std::string problem;
  bool known() const { return !texts.empty(); }
};

/// Reads the texts of the runtime library `libraryPath` (its read-only
/// data section only, a few MiB at most).
VmOptionNames readVmOptionNames(const std::string& libraryPath);

/// False when the runtime of `names` (known) does not recognise `option`.
/// Empty options and "-D" options (system properties) are always
/// recognised; other options that do not start with '-' never are.
bool recognisesVmOption(const VmOptionNames& names, std::string_view option);

/// The options among `options` that the runtime of `names` does not
/// recognise, in their order; none when the names are unknown.
std::vector<std::string> unrecognisedVmOptions(const VmOptionNames& names,
                                               const std::vector<std::string>& options);
