// Quoting texts for generated files.
#include "text_escaping.h"

#include <cstring>

std::string xmlEscaped(const std::string& text) {
  std::string escaped;
  for (unsigned char c : text) {
    switch (c) {
      case '&': escaped += "&amp;"; break;
      case '<': escaped += "&lt;"; break;
      case '>': escaped += "&gt;"; break;
      case '"': escaped += "&quot;"; break;
      case '\'': escaped += "&apos;"; break;
      default:
        if (c >= 0x20 || c == '\t' || c == '\n' || c == '\r') escaped += static_cast<char>(c);
    }
  }
  return escaped;
}

std::string shellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string desktopValue(const std::string& text) {
  std::string value;
  for (char c : text) {
    switch (c) {
      case '\\': value += "\\\\"; break;
      case '\n': value += "\\n"; break;
      case '\r': value += "\\r"; break;
      case '\t': value += "\\t"; break;
      default: value += c;
    }
  }
  return value;
}

std::string desktopExecArgument(const std::string& text) {
  bool plain = !text.empty() && text.find_first_of(" \t\n\"'\\><~|&;$*?#()`=%") ==
                                    std::string::npos;
  if (plain) return text;
  std::string quoted = "\"";
  for (char c : text) {
    // Inside double quotes '"', '`', '$' and '\' take a backslash; the file
    // format then doubles every backslash once more.
    if (std::strchr("\"`$\\", c)) quoted += "\\\\";
    quoted += c == '\\' ? "\\\\" : std::string(1, c);
    if (c == '%') quoted += '%';
  }
  return quoted + "\"";
}

std::string specValue(const std::string& text) {
  std::string value;
  for (char c : text) {
    if (c == '%') value += "%%";
    else value += (c == '\n' || c == '\r') ? ' ' : c;
  }
  return value;
}
