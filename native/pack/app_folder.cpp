// The files of a packaged application folder other than the runtime:
// config.json and the Linux desktop entry.
#include "app_folder.h"

#include <cstdio>

#include "desktop_entry.h"

namespace {

std::string jsonString(const std::string& text) {
  std::string quoted = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      quoted += '\\';
      quoted += static_cast<char>(c);
    } else if (c < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", c);
      quoted += escape;
    } else {
      quoted += static_cast<char>(c);
    }
  }
  return quoted + "\"";
}

std::string jsonArray(const std::vector<std::string>& items, const std::string& prefix) {
  std::string array = "[";
  for (size_t i = 0; i < items.size(); ++i)
    array += (i ? ",\n    " : "\n    ") + jsonString(prefix + items[i]);
  return array + (items.empty() ? "]" : "\n  ]");
}

}  // namespace

std::string configurationText(const PackOptions& options, const std::vector<std::string>& jars,
                              const std::string& splashName) {
  std::string text = "{\n  \"mainClass\": " + jsonString(options.mainClass) + ",\n";
  text += "  \"classPath\": " + jsonArray(jars, "lib/") + ",\n";
  text += "  \"vmArgs\": " + jsonArray(options.vmOptions, "");
  if (options.startupCache) text += ",\n  \"startupCache\": true";
  if (!splashName.empty()) text += ",\n  \"splash\": " + jsonString(splashName);
  if (options.target == PackTarget::Windows)
    text += ",\n  \"appUserModelId\": " + jsonString(options.appUserModelId);
  return text + "\n}\n";
}

std::string desktopEntry(const PackOptions& options, const std::string& installFolder) {
  DesktopEntry entry;
  entry.name = options.name;
  entry.comment = options.description;
  entry.program = installFolder + "/" + options.name;
  entry.fieldCode = "%F";
  entry.icon = installFolder + "/" + options.name + ".png";
  entry.workingFolder = installFolder;
  entry.startupWmClass = javaWindowClass(options.mainClass);
  return desktopEntryText(entry);
}
