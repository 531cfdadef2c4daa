// The file tree shared by the deb and rpm packages.
#include "linux_package.h"

#include <filesystem>

#include "desktop_entry.h"
#include "file_util.h"
#include "installer_options.h"

namespace fs = std::filesystem;

namespace {

/// The sizes of the hicolor icon theme an icon image may have.
bool isThemeSize(int side) {
  for (int size : {16, 22, 24, 32, 48, 64, 72, 96, 128, 192, 256, 512})
    if (side == size) return true;
  return false;
}

bool makeFolders(const std::string& root, const std::vector<std::string>& folders,
                 std::string* error) {
  for (const std::string& folder : folders) {
    std::error_code code;
    fs::create_directories(pathOf(root) / pathOf(folder), code);
    if (code) {
      *error = "cannot make " + folder + " in " + root + ": " + code.message();
      return false;
    }
  }
  return true;
}

/// The app folder without the desktop entry and PNG made for installing it
/// by hand, which the package's own entry and icons replace; its files
/// readable by all and writable by root only (some runtimes make them
/// read-only), executable where they were.
bool copyAppFolder(const PackOptions& options, const std::string& folder,
                   const std::string& target, std::string* error) {
  if (!copyFolder(folder, target, error)) return false;
  std::error_code code;
  for (const char* suffix : {".desktop", ".png"})
    fs::remove(pathOf(target) / pathOf(options.name + suffix), code);
  for (fs::recursive_directory_iterator it(pathOf(target), code), end; !code && it != end;
       it.increment(code)) {
    bool executable = it->is_directory(code) ||
                      (it->status(code).permissions() & fs::perms::owner_exec) != fs::perms::none;
    fs::permissions(it->path(), fs::perms(executable ? 0755 : 0644), code);
  }
  if (code) *error = "cannot set the permissions of the files in " + target + ": " + code.message();
  return !code;
}

bool writeIcons(const std::vector<IconImage>& icon, const std::string& root,
                const std::string& package, std::string* error) {
  for (const IconImage& image : icon) {
    if (image.width != image.height || !isThemeSize(image.width)) continue;
    std::string size = std::to_string(image.width), png;
    std::string folder = "usr/share/icons/hicolor/" + size + "x" + size + "/apps";
    if (!largestImageAsPng({image}, &png, error) || !makeFolders(root, {folder}, error) ||
        !writeWholeFile(textOf(pathOf(root) / pathOf(folder) / pathOf(package + ".png")), png,
                        error))
      return false;
  }
  return true;
}

}  // namespace

bool makePackageTree(const PackOptions& options, const std::string& folder,
                     const std::vector<IconImage>& icon, const std::string& root,
                     std::string* error) {
  std::string package = packageName(options.name);
  auto at = [&root](const std::string& relative) {
    return textOf(pathOf(root) / pathOf(relative));
  };
  if (!makeFolders(root, {"opt", "usr/bin", "usr/share/applications"}, error) ||
      !copyAppFolder(options, folder, at("opt/" + package), error) ||
      !writeIcons(icon, root, package, error))
    return false;
  std::error_code code;
  fs::create_symlink(pathOf("/opt/" + package + "/" + options.name), pathOf(at("usr/bin/" + package)),
                     code);
  if (code) {
    *error = "cannot make the link usr/bin/" + package + ": " + code.message();
    return false;
  }
  DesktopEntry entry = packageDesktopEntry(options, package, !icon.empty());
  if (!writeWholeFile(at("usr/share/applications/" + package + ".desktop"),
                      desktopEntryText(entry), error))
    return false;
  if (options.associations.empty()) return true;
  return makeFolders(root, {"usr/share/mime/packages"}, error) &&
         writeWholeFile(at("usr/share/mime/packages/" + package + ".xml"),
                        mimeInfoXml(options.associations, package), error);
}

std::string refreshScript() {
  return "#!/bin/sh\n"
         "# Tells the desktop about the application's menu entry, document types and\n"
         "# icons (or that they are gone).\n"
         "set -e\n"
         "if command -v update-desktop-database >/dev/null 2>&1; then\n"
         "  update-desktop-database -q /usr/share/applications || true\n"
         "fi\n"
         "if command -v update-mime-database >/dev/null 2>&1; then\n"
         "  update-mime-database /usr/share/mime || true\n"
         "fi\n"
         "if command -v gtk-update-icon-cache >/dev/null 2>&1; then\n"
         "  gtk-update-icon-cache -q -t -f /usr/share/icons/hicolor || true\n"
         "fi\n";
}

std::string packageSummary(const PackOptions& options) {
  std::string summary =
      options.description.empty() ? options.name + ", a Java application" : options.description;
  for (char& c : summary)
    if (c == '\n' || c == '\r' || c == '\t') c = ' ';
  return summary;
}
