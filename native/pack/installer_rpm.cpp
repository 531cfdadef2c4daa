// The RPM package, built with rpmbuild from a generated spec; its Requires
// are the sonames its ELF files need and do not bring themselves.
#include "installer_rpm.h"

#include <algorithm>
#include <filesystem>

#include "elf_needs.h"
#include "file_util.h"
#include "installer_options.h"
#include "installer_tools.h"
#include "linux_package.h"
#include "text_escaping.h"

namespace fs = std::filesystem;

namespace {

/// The files of the tree under usr/share, relative to it.
std::vector<std::string> sharedFilesOf(const std::string& tree) {
  std::vector<std::string> files;
  std::error_code code;
  for (fs::recursive_directory_iterator it(pathOf(tree) / "usr" / "share", code), end;
       !code && it != end; it.increment(code))
    if (it->is_regular_file(code))
      files.push_back(it->path().lexically_relative(pathOf(tree)).generic_u8string());
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace

std::string rpmSpec(const PackOptions& options, const std::vector<std::string>& sonames,
                    const std::string& tree, const std::vector<std::string>& sharedFiles) {
  std::string package = packageName(options.name);
  std::string spec = "Name: " + package + "\nVersion: " + options.appVersion +
                     "\nRelease: 1\nSummary: " + specValue(packageSummary(options)) +
                     "\nLicense: Unspecified\nBuildArch: x86_64\n";
  if (!options.vendor.empty()) spec += "Vendor: " + specValue(options.vendor) + "\n";
  if (!options.maintainer.empty()) spec += "Packager: " + specValue(options.maintainer) + "\n";
  // The requirements are the ones computed here; the package's own libraries
  // are provided to nobody else.
  spec += "AutoReqProv: no\n";
  for (const std::string& soname : sonames) spec += "Requires: " + specValue(soname) + "()(64bit)\n";
  spec += "\n%description\n" + specValue(options.name) + " " + options.appVersion +
          ", a Java application shipped with the Java runtime it runs on.\n";
  spec += "\n%install\nmkdir -p \"%{buildroot}\"\ncp -a " + specValue(shellQuoted(tree + "/.")) +
          " \"%{buildroot}/\"\n";
  spec += "\n%files\n/opt/" + package + "\n/usr/bin/" + package + "\n";
  for (const std::string& file : sharedFiles) spec += "/" + specValue(file) + "\n";
  // The scriptlets are the script without its #! line (rpm runs them with /bin/sh).
  std::string script = refreshScript();
  script = script.substr(script.find('\n') + 1);
  return spec + "\n%post\n" + script + "\n%postun\n" + script;
}

bool buildRpm(const PackOptions& options, const std::string& folder,
              const std::vector<IconImage>& icon, const std::vector<std::string>& tools,
              const std::string& workFolder, const std::string& rpmPath, std::string* error) {
  std::string tree = textOf(pathOf(workFolder) / "tree");
  std::string spec = textOf(pathOf(workFolder) / "package.spec"), output;
  ElfSurvey survey;
  std::error_code code;
  fs::create_directories(pathOf(tree), code);
  if (!makePackageTree(options, folder, icon, tree, error) ||
      !surveyElfFiles(tree, &survey, error) ||
      !writeWholeFile(spec, rpmSpec(options, survey.sonames, tree, sharedFilesOf(tree)), error))
    return false;
  std::string made = textOf(pathOf(workFolder) / "RPMS" / "x86_64" /
                            pathOf(packageName(options.name) + "-" + options.appVersion +
                                   "-1.x86_64.rpm"));
  // No stripping, no debug package, no build-id links: the files go in as
  // they are in the app folder.
  std::vector<std::string> command = {
      tools[0], "-bb", "--nodeps", "--quiet", "--target", "x86_64",
      "--define", "_topdir " + workFolder, "--define", "__os_install_post %{nil}",
      "--define", "debug_package %{nil}", "--define", "_build_id_links none", spec};
  if (!runToolIn(workFolder, command, &output, error)) return false;
  fs::rename(pathOf(made), pathOf(rpmPath), code);
  if (code) *error = "cannot move " + made + " to " + rpmPath + ": " + code.message();
  return !code;
}
