// The Debian package, built with dpkg-deb; its Depends computed by
// dpkg-shlibdeps from the ELF files it holds.
#include "installer_deb.h"

#include <openssl/evp.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <sstream>

#include "elf_needs.h"
#include "file_util.h"
#include "installer_options.h"
#include "installer_tools.h"
#include "linux_package.h"

namespace fs = std::filesystem;

namespace {

std::string md5Of(const std::string& data) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  EVP_Digest(data.data(), data.size(), digest, &size, EVP_md5(), nullptr);
  static const char hex[] = "0123456789abcdef";
  std::string text;
  for (unsigned int i = 0; i < size; ++i) {
    text += hex[digest[i] >> 4];
    text += hex[digest[i] & 15];
  }
  return text;
}

/// DEBIAN/md5sums: every regular file of the tree but the control files.
bool writeMd5sums(const std::string& root, std::string* error) {
  std::vector<std::string> lines;
  std::error_code code;
  for (fs::recursive_directory_iterator it(pathOf(root), code), end; !code && it != end;
       it.increment(code)) {
    std::string relative = it->path().lexically_relative(pathOf(root)).generic_u8string();
    if (relative.compare(0, 6, "DEBIAN") == 0 || it->is_symlink(code) ||
        !it->is_regular_file(code))
      continue;
    std::string data;
    if (!readWholeFile(textOf(it->path()), &data, error)) return false;
    lines.push_back(md5Of(data) + "  " + relative + "\n");
  }
  std::sort(lines.begin(), lines.end(), [](const std::string& a, const std::string& b) {
    return a.substr(34) < b.substr(34);
  });
  std::string text;
  for (const std::string& line : lines) text += line;
  return writeWholeFile(textOf(pathOf(root) / "DEBIAN" / "md5sums"), text, error);
}

/// The folders of the tree that hold shared libraries, for dpkg-shlibdeps
/// to find the package's own libraries there.
std::vector<std::string> libraryFolders(const std::vector<std::string>& elfFiles) {
  std::set<std::string> folders;
  for (const std::string& file : elfFiles)
    if (file.find(".so") != std::string::npos) folders.insert(textOf(pathOf(file).parent_path()));
  return {folders.begin(), folders.end()};
}

/// Depends from dpkg-shlibdeps; a library that no installed package has is
/// an error rather than a dependency left out.
bool computeDepends(const std::string& tool, const std::string& workFolder,
                    const ElfSurvey& survey, std::string* depends, std::string* error) {
  if (survey.files.empty()) return true;
  // dpkg-shlibdeps knows the package's own files by their paths below debian/.
  std::vector<std::string> files;
  for (const std::string& file : survey.files)
    files.push_back(textOf(pathOf(file).lexically_relative(pathOf(workFolder))));
  std::vector<std::string> command = {tool, "-O", "--warnings=0"};
  for (const std::string& folder : libraryFolders(files)) command.push_back("-l" + folder);
  for (const std::string& file : files) command.push_back("-e" + file);
  std::string output;
  if (!writeWholeFile(textOf(pathOf(workFolder) / "debian" / "control"),
                      "Source: package\n\nPackage: package\nArchitecture: amd64\n", error) ||
      !runToolIn(workFolder, command, &output, error))
    return false;
  std::istringstream lines(output);
  std::string line;
  while (std::getline(lines, line)) {
    size_t missing = line.find("cannot find library ");
    if (missing != std::string::npos) {
      *error = "dpkg-shlibdeps cannot name the package of a library the runtime needs (" +
               line.substr(missing + 20) + "): install it on this machine";
      return false;
    }
    if (line.compare(0, 15, "shlibs:Depends=") == 0) *depends = line.substr(15);
  }
  return true;
}

std::string oneLine(std::string text) {
  for (char& c : text)
    if (c == '\n' || c == '\r') c = ' ';
  return text;
}

bool writeScripts(const std::string& root, std::string* error) {
  for (const char* name : {"postinst", "postrm"}) {
    std::string path = textOf(pathOf(root) / "DEBIAN" / name);
    std::error_code code;
    if (!writeWholeFile(path, refreshScript(), error)) return false;
    fs::permissions(pathOf(path), fs::perms(0755), code);
  }
  return true;
}

}  // namespace

std::string debianControl(const PackOptions& options, const std::string& depends,
                          unsigned long long installedSizeKiB) {
  std::string control = "Package: " + packageName(options.name) + "\n";
  control += "Version: " + options.appVersion + "\nArchitecture: amd64\n";
  control += "Maintainer: " + oneLine(options.maintainer) + "\n";
  control += "Installed-Size: " + std::to_string(installedSizeKiB) + "\n";
  if (!depends.empty()) control += "Depends: " + depends + "\n";
  control += "Section: misc\nPriority: optional\n";
  control += "Description: " + packageSummary(options) + "\n";
  control += " " + oneLine(options.name) + " " + options.appVersion +
             (options.vendor.empty() ? "" : " by " + oneLine(options.vendor)) +
             ", a Java application\n shipped with the Java runtime it runs on.\n";
  return control;
}

std::string lintianOverrides(const std::string& package,
                             const std::vector<std::string>& unstripped) {
  std::string text =
      "# An add-on application from outside the distribution: /opt/" + package + " is\n"
      "# where such software belongs, and its release notes are its vendor's.\n" +
      package + ": dir-or-file-in-opt [opt/" + package + "/*]\n" + package +
      ": no-changelog usr/share/doc/" + package + "/changelog.gz (native package)\n"
      "# The app folder under /opt keeps its own layout: the launcher finds the\n"
      "# jars and the runtime beside itself.\n" +
      package + ": jar-not-in-usr-share [opt/" + package + "/*]\n"
      "# A desktop application, started from the menu: it has no manual page.\n" +
      package + ": no-manual-page [usr/bin/" + package + "]\n";
  if (!unstripped.empty())
    text += "# The Java runtime is shipped as its vendor built it; its libraries keep the\n"
            "# symbols the JDK's serviceability tools read.\n";
  for (const std::string& file : unstripped)
    text += package + ": unstripped-binary-or-object [" + file + "]\n";
  return text;
}

std::string debianCopyright(const PackOptions& options) {
  std::string text = "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n";
  text += "Upstream-Name: " + oneLine(options.name) + "\n\nFiles: *\n";
  std::string holder = options.vendor.empty() ? options.name : options.vendor;
  text += "Copyright: " +
          oneLine(options.copyright.empty() ? "(c) " + holder : options.copyright) + "\n";
  text += "License: other\n The licence terms of " + oneLine(options.name) +
          " come with it. The Java runtime under\n /opt/" + packageName(options.name) +
          "/jre has its own, in its legal folder.\n";
  return text;
}

bool buildDeb(const PackOptions& options, const std::string& folder,
              const std::vector<IconImage>& icon, const std::vector<std::string>& tools,
              const std::string& workFolder, const std::string& debPath, std::string* error) {
  std::string package = packageName(options.name);
  std::string root = textOf(pathOf(workFolder) / "debian" / package);
  std::string docs = textOf(pathOf(root) / "usr" / "share" / "doc" / package), depends, output;
  std::error_code code;
  fs::create_directories(pathOf(root) / "DEBIAN", code);
  fs::create_directories(pathOf(docs), code);
  ElfSurvey survey;
  std::vector<std::string> unstripped;
  if (!makePackageTree(options, folder, icon, root, error) ||
      !writeWholeFile(textOf(pathOf(docs) / "copyright"), debianCopyright(options), error) ||
      !surveyElfFiles(root, &survey, error) ||
      !computeDepends(tools[1], workFolder, survey, &depends, error))
    return false;
  for (const std::string& file : survey.unstripped)
    unstripped.push_back(pathOf(file).lexically_relative(pathOf(root)).generic_u8string());
  std::string overrides = textOf(pathOf(root) / "usr/share/lintian/overrides");
  fs::create_directories(pathOf(overrides), code);
  if (!writeWholeFile(textOf(pathOf(overrides) / pathOf(package)),
                      lintianOverrides(package, unstripped), error))
    return false;
  unsigned long long size = (folderSize(root) + 1023) / 1024;
  return writeWholeFile(textOf(pathOf(root) / "DEBIAN" / "control"),
                        debianControl(options, depends, size), error) &&
         writeScripts(root, error) && writeMd5sums(root, error) &&
         runToolIn("", {tools[0], "--root-owner-group", "--build", root, debPath}, &output,
                   error);
}
