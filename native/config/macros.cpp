#include "macros.h"

namespace {

const std::string_view appDirMacro = "$APPDIR";

/// The length of the "${NAME}" at the start of `text`, or 0 when none is there.
size_t variableMacroLength(std::string_view text) {
  if (text.size() < 4 || text[1] != '{') return 0;
  for (size_t i = 2; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '}') return i > 2 ? i + 1 : 0;
    if (c == '{' || c == '$' || c == '\0') return 0;
  }
  return 0;
}

/// Appends the replacement of the macro at the start of `text` and returns
/// its length, or returns 0 when no macro with a value starts there.
size_t appendMacro(std::string_view text, const Macros& macros, std::string& out) {
  if (text.substr(0, appDirMacro.size()) == appDirMacro) {
    if (macros.appDirectory.empty()) return 0;
    out += macros.appDirectory;
    return appDirMacro.size();
  }
  const size_t length = variableMacroLength(text);
  std::string value;
  if (length == 0 || !macros.environment ||
      !macros.environment(std::string(text.substr(2, length - 3)), &value))
    return 0;
  out += value;
  return length;
}

}  // namespace

std::string expandMacros(std::string_view text, const Macros& macros) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const size_t used = text[i] == '$' ? appendMacro(text.substr(i), macros, out) : 0;
    if (used == 0) out += text[i++];
    i += used;
  }
  return out;
}
