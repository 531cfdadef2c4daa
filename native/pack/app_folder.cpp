// The files of a packaged application folder other than the runtime:
// config.json and the Linux desktop entry.
#include "app_folder.h"

#include <cstdio>

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

/// Desktop entry values cannot hold line breaks.
std::string oneLine(const std::string& text) {
  std::string line;
  for (char c : text) line += (c == '\n' || c == '\r') ? ' ' : c;
  return line;
}

/// A path inside the double quotes of an Exec key: '$' and '`' escaped for
/// the command line and once more for the file, '%' doubled.
std::string execArgument(const std::string& path) {
  std::string quoted = "\"";
  for (char c : path) {
    if (c == '$' || c == '`') quoted += "\\\\";
    quoted += c;
    if (c == '%') quoted += '%';
  }
  return quoted + "\"";
}

}  // namespace

std::string configurationText(const PackOptions& options, const std::vector<std::string>& jars,
                              const std::string& splashName) {
  std::string text = "{\n  \"mainClass\": " + jsonString(options.mainClass) + ",\n";
  text += "  \"classPath\": " + jsonArray(jars, "lib/") + ",\n";
  text += "  \"vmArgs\": " + jsonArray(options.vmOptions, "");
  if (options.startupCache) text += ",\n  \"startupCache\": true";
  if (!splashName.empty()) text += ",\n  \"splash\": " + jsonString(splashName);
  return text + "\n}\n";
}

std::string desktopEntry(const PackOptions& options, const std::string& installFolder) {
  std::string entry = "[Desktop Entry]\nType=Application\n";
  entry += "Name=" + oneLine(options.name) + "\n";
  entry += "Comment=" + oneLine(options.description.empty() ? options.name : options.description) + "\n";
  entry += "Exec=" + execArgument(installFolder + "/" + options.name) + " %F\n";
  entry += "Icon=" + installFolder + "/" + options.name + ".png\n";
  entry += "Path=" + installFolder + "\nTerminal=false\nCategories=Utility;\n";
  return entry;
}
