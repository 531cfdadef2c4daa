// Text for the wide (UTF-16) Windows API: on Windows the launcher keeps every
// text in UTF-8 and converts at the system's door.
#pragma once

#include <string>
#include <vector>

/// UTF-8 as UTF-16. Ill-formed bytes become U+FFFD.
std::wstring wideFromUtf8(const std::string& utf8);

/// UTF-16 as UTF-8. Unpaired surrogates become U+FFFD.
std::string utf8FromWide(const std::wstring& wide);

/// `wide` in the code page `codePage`, without best-fit mapping: false when
/// some character has no exact form there.
bool toCodePage(const std::wstring& wide, unsigned codePage, std::string* out);

/// Text in code page `codePage` as UTF-8.
std::string codePageToUtf8(const std::string& text, unsigned codePage);

/// The process's arguments in UTF-8, from its UTF-16 command line
/// (GetCommandLineW, split as CommandLineToArgvW does). The program comes
/// first; empty when the command line cannot be split (no memory).
std::vector<std::string> utf8CommandLine();

/// `arguments` (UTF-8) as one UTF-16 command line that the C runtime's
/// parser (and CommandLineToArgvW) splits back into the same arguments.
std::wstring commandLineOf(const std::vector<std::string>& arguments);

/// True when `text` is well-formed UTF-8.
bool isUtf8(const std::string& text);
