// Desktop entries and shared-mime-info files.
#include "desktop_entry.h"

#include <algorithm>

#include "text_escaping.h"

std::string desktopEntryText(const DesktopEntry& entry) {
  std::string text = "[Desktop Entry]\nType=Application\n";
  text += "Name=" + desktopValue(entry.name) + "\n";
  if (!entry.comment.empty()) text += "Comment=" + desktopValue(entry.comment) + "\n";
  text += "Exec=" + desktopExecArgument(entry.program) +
          (entry.fieldCode.empty() ? "" : " " + entry.fieldCode) + "\n";
  if (!entry.icon.empty()) text += "Icon=" + desktopValue(entry.icon) + "\n";
  if (!entry.workingFolder.empty()) text += "Path=" + desktopValue(entry.workingFolder) + "\n";
  text += "Terminal=false\nCategories=Utility;\n";
  if (!entry.startupWmClass.empty())
    text += "StartupWMClass=" + desktopValue(entry.startupWmClass) + "\n";
  if (!entry.mimeTypes.empty()) {
    text += "MimeType=";
    for (const std::string& type : entry.mimeTypes) text += desktopValue(type) + ";";
    text += "\n";
  }
  return text;
}

std::string javaWindowClass(const std::string& mainClass) {
  std::string windowClass = mainClass;
  std::replace(windowClass.begin(), windowClass.end(), '.', '-');
  return windowClass;
}

std::string mimeTypeOf(const FileAssociation& association, const std::string& package) {
  if (!association.mimeType.empty()) return association.mimeType;
  return "application/x-" + package + "-" + association.extension;
}

std::string mimeInfoXml(const std::vector<FileAssociation>& associations,
                        const std::string& package) {
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n";
  for (const FileAssociation& association : associations) {
    xml += "  <mime-type type=\"" + xmlEscaped(mimeTypeOf(association, package)) + "\">\n";
    xml += "    <comment>" + xmlEscaped(association.description) + "</comment>\n";
    xml += "    <glob pattern=\"*." + xmlEscaped(association.extension) + "\"/>\n";
    xml += "  </mime-type>\n";
  }
  return xml + "</mime-info>\n";
}

DesktopEntry packageDesktopEntry(const PackOptions& options, const std::string& package,
                                 bool hasIcon) {
  DesktopEntry entry;
  entry.name = options.name;
  entry.comment = options.description;
  entry.program = "/usr/bin/" + package;
  entry.icon = hasIcon ? package : "";
  entry.startupWmClass = javaWindowClass(options.mainClass);
  for (const FileAssociation& association : options.associations)
    entry.mimeTypes.push_back(mimeTypeOf(association, package));
  for (const std::string& scheme : options.urlSchemes)
    entry.mimeTypes.push_back("x-scheme-handler/" + scheme);
  if (!options.urlSchemes.empty()) entry.fieldCode = "%U";
  else if (!options.associations.empty()) entry.fieldCode = "%F";
  return entry;
}
