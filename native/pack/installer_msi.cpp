// The .wxs source of the MSI and the run of wixl.
#include "installer_msi.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>

#include "executable_name.h"
#include "file_util.h"
#include "installer_tools.h"
#include "text_escaping.h"
#include "uuid.h"

namespace fs = std::filesystem;

namespace {

const char aumidPropertyKey[] = "{9F4C2855-9F79-4B39-A8D0-E1D42DE1D5F3}, 5";

/// A user's text in a formatted MSI field: brackets and braces escaped, and
/// a leading '#', which would make the value a number, doubled.
std::string formatted(const std::string& text) {
  std::string value = text.compare(0, 1, "#") == 0 ? "#" : "";
  for (char c : text) {
    if (c == '[' || c == ']' || c == '{' || c == '}') value += std::string("[\\") + c + "]";
    else value += c;
  }
  return value;
}

/// A registry key name made of a user's text: no backslash, which separates keys.
std::string keyName(const std::string& text) {
  std::string name = formatted(text);
  std::replace(name.begin(), name.end(), '\\', '_');
  return name;
}

/// An attribute: name="value" with the value escaped.
std::string attribute(const std::string& name, const std::string& value) {
  return " " + name + "=\"" + xmlEscaped(value) + "\"";
}

std::string asciiAlphanumerics(const std::string& text) {
  std::string kept;
  for (char c : text)
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) kept += c;
  return kept;
}

/// The ProgID of an extension: letters and digits and one period, at most 39.
std::string progId(const PackOptions& options, const std::string& extension) {
  std::string program = asciiAlphanumerics(options.name);
  if (program.empty() || (program[0] >= '0' && program[0] <= '9')) program = "App" + program;
  return (program + "." + asciiAlphanumerics(extension)).substr(0, 39);
}

/// The first three parts of the version, which Windows Installer compares,
/// and the version just above them.
std::string productVersion(const std::string& version, bool next) {
  unsigned short parts[4];
  parseAppVersion(version, parts);
  unsigned long major = parts[0], minor = parts[1], build = parts[2];
  if (next && build < 65535) ++build;
  else if (next && minor < 255) { ++minor; build = 0; }
  else if (next) { ++major; minor = 0; build = 0; }
  return std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(build);
}

/// Writes the .wxs piece by piece.
class WxsWriter {
 public:
  WxsWriter(const PackOptions& options, const MsiLayout& layout)
      : options_(options), layout_(layout),
        root_(options.machineScope ? "HKLM" : "HKCU"),
        exe_(executableFileName(options.name, TargetOs::Windows)) {}

  std::string text() {
    std::string vendor = options_.vendor.empty() ? options_.name : options_.vendor;
    out_ = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
           "<Wix xmlns=\"http://schemas.microsoft.com/wix/2006/wi\">\n";
    out_ += "  <Product Id=\"*\"" + attribute("Name", options_.name) +
            " Language=\"1033\"" + attribute("Codepage", codepage()) +
            attribute("Version", productVersion(options_.appVersion, false)) +
            attribute("Manufacturer", vendor) + attribute("UpgradeCode", layout_.upgradeCode) +
            ">\n";
    out_ += "    <Package InstallerVersion=\"500\" Compressed=\"yes\" InstallScope=\"" +
            std::string(options_.machineScope ? "perMachine" : "perUser") + "\"" +
            attribute("Description", options_.description.empty() ? options_.name
                                                                 : options_.description) +
            attribute("Manufacturer", vendor) + "/>\n";
    upgrades();
    properties();
    out_ += "    <Directory Id=\"TARGETDIR\" Name=\"SourceDir\">\n";
    installFolder();
    shortcutFolder("ProgramMenuFolder", "StartMenuShortcut");
    if (options_.desktopShortcut) shortcutFolder("DesktopFolder", "DesktopShortcut");
    out_ += "    </Directory>\n";
    out_ += "    <Feature Id=\"Application\" Level=\"1\"" + attribute("Title", options_.name) +
            ">\n";
    for (const std::string& component : components_)
      out_ += "      <ComponentRef Id=\"" + component + "\"/>\n";
    out_ += "    </Feature>\n  </Product>\n</Wix>\n";
    return out_;
  }

 private:
  /// Windows-1252 when the texts have no characters beyond Latin-1 (UTF-8
  /// lead bytes from 0xC4 on), which Windows Installer handles everywhere;
  /// else UTF-8.
  std::string codepage() const {
    std::string texts = options_.name + options_.vendor + options_.description;
    for (const FileAssociation& association : options_.associations)
      texts += association.description;
    for (unsigned char c : texts)
      if (c >= 0xC4) return "65001";
    return "1252";
  }

  void upgrades() {
    // Older versions and this one rebuilt are replaced; a newer one stops
    // the installation with the message.
    std::string version = productVersion(options_.appVersion, false);
    out_ += "    <Upgrade" + attribute("Id", layout_.upgradeCode) + ">\n";
    out_ += "      <UpgradeVersion Minimum=\"0.0.0\" IncludeMinimum=\"yes\"" +
            attribute("Maximum", productVersion(options_.appVersion, true)) +
            " IncludeMaximum=\"no\" Property=\"OLDERVERSIONFOUND\"/>\n";
    out_ += "      <UpgradeVersion" + attribute("Minimum", version) +
            " IncludeMinimum=\"no\" OnlyDetect=\"yes\" Property=\"NEWERVERSIONFOUND\"/>\n";
    out_ += "    </Upgrade>\n";
    out_ += "    <Condition" +
            attribute("Message", "A newer version of " + options_.name +
                                     " is already installed. Uninstall it first to install "
                                     "version " + options_.appVersion + ".") +
            ">NOT NEWERVERSIONFOUND</Condition>\n";
    out_ += "    <InstallExecuteSequence>\n"
            "      <RemoveExistingProducts After=\"InstallValidate\"/>\n"
            "    </InstallExecuteSequence>\n";
  }

  void properties() {
    out_ += "    <Media Id=\"1\" Cabinet=\"app.cab\" EmbedCab=\"yes\"/>\n";
    out_ += "    <Icon Id=\"AppIcon.exe\"" + attribute("SourceFile", source(exe_)) + "/>\n";
    out_ += "    <Property Id=\"ARPPRODUCTICON\" Value=\"AppIcon.exe\"/>\n";
    out_ += "    <Property Id=\"ARPNOMODIFY\" Value=\"1\"/>\n";
    out_ += "    <Property Id=\"ARPSIZE\"" + attribute("Value", std::to_string(layout_.sizeKiB)) +
            "/>\n";
  }

  /// wixl takes the files by paths relative to the folder it runs in, the app folder.
  static std::string source(const std::string& relative) { return relative; }

  void installFolder() {
    if (options_.machineScope) {
      out_ += "      <Directory Id=\"ProgramFiles64Folder\">\n";
    } else {
      out_ += "      <Directory Id=\"LocalAppDataFolder\">\n";
      out_ += "      <Directory Id=\"UserProgramsFolder\" Name=\"Programs\">\n";
    }
    out_ += "      <Directory Id=\"INSTALLDIR\"" + attribute("Name", options_.name) + ">\n";
    folderContents("");
    documentTypes();
    if (!options_.machineScope) {
      // A folder in the user's profile is removed by a component of its own.
      out_ += "        <Component Id=\"" + newComponent("InstallFolder") +
              "\" Guid=\"*\" Win64=\"yes\">\n"
              "          <RemoveFolder Id=\"RemoveInstallFolder\" On=\"uninstall\"/>\n";
      keyPath("InstallFolder");
      out_ += "        </Component>\n";
    }
    out_ += "      </Directory>\n";
    if (!options_.machineScope) out_ += "      </Directory>\n";
    out_ += "      </Directory>\n";
  }

  /// The files and subfolders of `relative` ("" for the app folder itself).
  void folderContents(const std::string& relative) {
    std::set<std::string> subfolders;
    for (const std::string& file : layout_.files) {
      if (file.compare(0, relative.size(), relative) != 0) continue;
      std::string rest = file.substr(relative.size());
      size_t slash = rest.find('/');
      if (slash != std::string::npos) {
        subfolders.insert(rest.substr(0, slash));
        continue;
      }
      bool exe = file == exe_;
      std::string component = newComponent(exe ? "AppExeComponent" : "");
      out_ += "        <Component Id=\"" + component + "\" Guid=\"*\" Win64=\"yes\">\n";
      out_ += "          <File Id=\"" +
              (exe ? std::string("AppExe") : "fil" + std::to_string(components_.size())) +
              "\"" + attribute("Name", rest) + attribute("Source", source(file)) +
              " KeyPath=\"yes\"/>\n        </Component>\n";
    }
    for (const std::string& subfolder : subfolders) {
      out_ += "        <Directory Id=\"dir" + std::to_string(++folders_) + "\"" +
              attribute("Name", subfolder) + ">\n";
      folderContents(relative + subfolder + "/");
      out_ += "        </Directory>\n";
    }
  }

  std::string newComponent(const std::string& name) {
    components_.push_back(name.empty() ? "cmp" + std::to_string(components_.size() + 1) : name);
    return components_.back();
  }

  /// A registry value of this user or the machine marking a component as
  /// installed; shortcuts and folders have no file to do so.
  void keyPath(const std::string& name) {
    out_ += "          <RegistryValue Root=\"" + root_ + "\"" +
            attribute("Key", "Software\\" + keyName(options_.vendor.empty() ? options_.name
                                                                             : options_.vendor) +
                                 "\\" + keyName(options_.name)) +
            attribute("Name", name) + " Type=\"integer\" Value=\"1\" KeyPath=\"yes\"/>\n";
  }

  void registryValue(const std::string& key, const std::string& name, const std::string& value,
                     bool first) {
    out_ += "          <RegistryValue Root=\"" + root_ + "\"" +
            attribute("Key", "Software\\Classes\\" + key) +
            (name.empty() ? "" : attribute("Name", name)) + attribute("Value", value) +
            " Type=\"string\"" + (first ? " KeyPath=\"yes\"" : "") + "/>\n";
  }

  /// The open command and icon of a ProgID or URL scheme key.
  void openCommand(const std::string& key) {
    registryValue(key + "\\DefaultIcon", "", "[#AppExe],0", false);
    registryValue(key + "\\shell\\open\\command", "", "\"[#AppExe]\" \"%1\"", false);
  }

  void documentTypes() {
    if (options_.associations.empty() && options_.urlSchemes.empty()) return;
    out_ += "        <Component Id=\"" + newComponent("DocumentTypes") +
            "\" Guid=\"*\" Win64=\"yes\">\n";
    bool first = true;
    for (const FileAssociation& association : options_.associations) {
      std::string id = progId(options_, association.extension), key = "." + association.extension;
      registryValue(key, "", id, first);
      registryValue(key + "\\OpenWithProgids", id, "", false);
      if (!association.mimeType.empty())
        registryValue(key, "Content Type", association.mimeType, false);
      registryValue(id, "", formatted(association.description), false);
      openCommand(id);
      first = false;
    }
    for (const std::string& scheme : options_.urlSchemes) {
      registryValue(scheme, "", formatted("URL:" + options_.name), first);
      registryValue(scheme, "URL Protocol", "", false);
      openCommand(scheme);
      first = false;
    }
    out_ += "        </Component>\n";
  }

  void shortcutFolder(const std::string& folder, const std::string& name) {
    out_ += "      <Directory Id=\"" + folder + "\">\n";
    out_ += "        <Component Id=\"" + newComponent(name) + "\" Guid=\"*\" Win64=\"yes\">\n";
    out_ += "          <Shortcut Id=\"" + name + "\"" + attribute("Name", options_.name) +
            attribute("Description", options_.description.empty() ? options_.name
                                                                 : options_.description) +
            " Target=\"[#AppExe]\" WorkingDirectory=\"INSTALLDIR\"/>\n";
    keyPath(name);
    out_ += "        </Component>\n      </Directory>\n";
  }

  const PackOptions& options_;
  const MsiLayout& layout_;
  std::string root_, exe_, out_;
  std::vector<std::string> components_;
  int folders_ = 0;
};

std::vector<std::string> relativeFiles(const std::string& folder) {
  std::vector<std::string> files;
  std::error_code code;
  for (fs::recursive_directory_iterator it(pathOf(folder), code), end; !code && it != end;
       it.increment(code))
    if (it->is_regular_file(code))
      files.push_back(it->path().lexically_relative(pathOf(folder)).generic_u8string());
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace

std::string msiSource(const PackOptions& options, const MsiLayout& layout) {
  return WxsWriter(options, layout).text();
}

std::string shortcutPropertyTable(const PackOptions& options) {
  std::string table =
      "MsiShortcutProperty\tShortcut_\tPropertyKey\tPropVariantValue\n"
      "s72\ts72\ts255\ts255\nMsiShortcutProperty\tMsiShortcutProperty\n";
  std::vector<std::string> shortcuts = {"StartMenuShortcut"};
  if (options.desktopShortcut) shortcuts.push_back("DesktopShortcut");
  for (const std::string& shortcut : shortcuts)
    table += shortcut + "Id\t" + shortcut + "\t" + aumidPropertyKey + "\t" +
             formatted(options.appUserModelId) + "\n";
  return table;
}

bool buildMsi(const PackOptions& options, const std::string& folder,
              const std::vector<std::string>& tools, const std::string& workFolder,
              const std::string& msiPath, std::string* error) {
  MsiLayout layout;
  layout.files = relativeFiles(folder);
  layout.upgradeCode = options.upgradeCode.empty()
                           ? nameBasedUuid(options.vendor + "\n" + options.name)
                           : options.upgradeCode;
  layout.sizeKiB = (folderSize(folder) + 1023) / 1024;
  std::string wxs = textOf(pathOf(workFolder) / "app.wxs");
  std::string idt = textOf(pathOf(workFolder) / "MsiShortcutProperty.idt"), output;
  return writeWholeFile(wxs, msiSource(options, layout), error) &&
         writeWholeFile(idt, shortcutPropertyTable(options), error) &&
         runToolIn(folder, {tools[0], "-a", "x64", "-o", msiPath, wxs}, &output, error) &&
         runToolIn(workFolder, {tools[1], msiPath, "-i", idt}, &output, error);
}
