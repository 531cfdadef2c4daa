// Quoting texts for the files the installers generate: XML, POSIX shell,
// desktop entries and RPM spec files.
#pragma once

#include <string>

/// Text or an attribute value in XML: & < > " ' as entities; control
/// characters other than tab and line breaks, which XML cannot hold, dropped.
std::string xmlEscaped(const std::string& text);

/// One word for a POSIX shell, in single quotes.
std::string shellQuoted(const std::string& text);

/// A string value of a desktop entry key: backslash, line breaks and tabs as
/// the escapes the format defines.
std::string desktopValue(const std::string& text);

/// One argument of a desktop entry's Exec key: quoted when needed, with '"',
/// '`', '$' and '\' escaped for the command line and once more for the file,
/// '%' doubled.
std::string desktopExecArgument(const std::string& text);

/// A value on one line of an RPM spec file: '%' doubled, line breaks as spaces.
std::string specValue(const std::string& text);
