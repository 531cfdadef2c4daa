// Reading and checking the installer options of vantrel-pack.
#include "installer_options.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <vector>

namespace {

bool isAsciiLetterOrDigit(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string lowered(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), lower);
  return text;
}

bool allOf(const std::string& text, const char* extra) {
  return std::all_of(text.begin(), text.end(), [extra](unsigned char c) {
    return isAsciiLetterOrDigit(c) || (c && std::strchr(extra, c));
  });
}

bool hasControlCharacters(const std::string& text) {
  return std::any_of(text.begin(), text.end(), [](unsigned char c) { return c < 0x20; });
}

/// "type/subtype" made of the characters a MIME type may have.
bool isMimeType(const std::string& text) {
  size_t slash = text.find('/');
  const char* token = "!#$&^_.+-";
  return slash != std::string::npos && slash > 0 && slash + 1 < text.size() &&
         allOf(text.substr(0, slash), token) && allOf(text.substr(slash + 1), token);
}

/// A URL scheme: a letter, then letters, digits, '+', '-' and '.'.
bool isScheme(const std::string& text) {
  return !text.empty() && text.size() <= 64 && isAsciiLetterOrDigit(text[0]) &&
         !(text[0] >= '0' && text[0] <= '9') && allOf(text, "+-.");
}

/// 8-4-4-4-12 hexadecimal digits, with or without braces; upper-cased.
bool normaliseUuid(std::string* text) {
  std::string uuid = *text;
  if (uuid.size() == 38 && uuid.front() == '{' && uuid.back() == '}')
    uuid = uuid.substr(1, 36);
  if (uuid.size() != 36) return false;
  for (size_t i = 0; i < uuid.size(); ++i) {
    bool dash = i == 8 || i == 13 || i == 18 || i == 23;
    if (dash ? uuid[i] != '-' : !std::isxdigit(static_cast<unsigned char>(uuid[i])))
      return false;
    uuid[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(uuid[i])));
  }
  *text = uuid;
  return true;
}

/// The parts of a name kept in an AppUserModelID.
std::string identityPart(const std::string& text) {
  std::string part;
  for (unsigned char c : text)
    if (isAsciiLetterOrDigit(c) || c == '-' || c == '_' || c >= 0x80) part += static_cast<char>(c);
  return part;
}

std::string checkKinds(const PackOptions& options) {
  std::vector<std::string> seen;
  for (const std::string& kind : options.installers) {
    bool windows = options.target == PackTarget::Windows;
    if (kind != "msi" && kind != "deb" && kind != "rpm")
      return "Invalid value for option --installer: " + kind + " (msi, deb or rpm)";
    if ((kind == "msi") != windows)
      return "Invalid value for option --installer: " + kind + " (" +
             (windows ? "deb and rpm are for --target linux"
                      : "msi is for --target windows") + ")";
    if (std::find(seen.begin(), seen.end(), kind) != seen.end())
      return "Option --installer " + kind + " is given twice";
    seen.push_back(kind);
  }
  return "";
}

std::string checkDocuments(PackOptions& options) {
  if ((!options.associations.empty() || !options.urlSchemes.empty()) &&
      options.installers.empty())
    return "Options --file-association and --url-scheme need an --installer";
  for (size_t i = 0; i < options.associations.size(); ++i)
    for (size_t j = 0; j < i; ++j)
      if (options.associations[i].extension == options.associations[j].extension)
        return "Option --file-association names ." + options.associations[i].extension +
               " twice";
  for (std::string& scheme : options.urlSchemes) {
    if (!isScheme(scheme))
      return "Invalid value for option --url-scheme: " + scheme +
             " (a letter, then letters, digits, + - .)";
    scheme = lowered(scheme);
  }
  return "";
}

std::string checkWindowsOnes(PackOptions& options, bool scopeGiven) {
  bool msi = wantsInstaller(options, "msi");
  if (!msi && (scopeGiven || !options.upgradeCode.empty() || options.desktopShortcut))
    return "Options --install-scope, --upgrade-code and --desktop-shortcut are for "
           "--installer msi";
  if (!options.upgradeCode.empty() && !normaliseUuid(&options.upgradeCode))
    return "Invalid value for option --upgrade-code: " + options.upgradeCode +
           " (a UUID, as 01234567-89AB-CDEF-0123-456789ABCDEF)";
  unsigned short parts[4];
  if (msi && parseAppVersion(options.appVersion, parts) && (parts[0] > 255 || parts[1] > 255))
    return "Invalid value for option --app-version: " + options.appVersion +
           " (an MSI takes versions up to 255.255.65535)";
  const std::string& id = options.appUserModelId;
  if (id.empty() || id.size() > 128 || hasControlCharacters(id) ||
      id.find(' ') != std::string::npos)
    return "Invalid value for option --app-user-model-id: " + id +
           " (1 to 128 characters without spaces)";
  return "";
}

std::string checkSigning(const PackOptions& options) {
  bool sign = !options.signPkcs12.empty();
  if (sign != !options.signPasswordVariable.empty())
    return "Options --sign-pkcs12 and --sign-password-env go together";
  if (!options.timestampUrl.empty() && !sign) return "Option --timestamp-url needs --sign-pkcs12";
  if (sign && options.target != PackTarget::Windows)
    return "Option --sign-pkcs12 signs Windows programs: it needs --target windows";
  const std::string& url = options.timestampUrl;
  if (!url.empty() && url.rfind("http://", 0) != 0 && url.rfind("https://", 0) != 0)
    return "Invalid value for option --timestamp-url: " + url + " (an http:// or https:// URL)";
  return "";
}

std::string checkLinuxOnes(const PackOptions& options) {
  bool deb = wantsInstaller(options, "deb");
  if (!deb && !wantsInstaller(options, "rpm")) {
    if (!options.maintainer.empty()) return "Option --maintainer is for --installer deb or rpm";
    return "";
  }
  if (packageName(options.name).empty())
    return "The name " + options.name + " gives no package name (it needs letters a-z or digits)";
  const std::string& maintainer = options.maintainer;
  size_t open = maintainer.find('<');
  if ((deb || !maintainer.empty()) &&
      (open == std::string::npos || open == 0 || maintainer.back() != '>' ||
       maintainer.find('@', open) == std::string::npos || hasControlCharacters(maintainer)))
    return maintainer.empty() ? "A deb package needs --maintainer \"NAME <EMAIL>\""
                              : "Invalid value for option --maintainer: " + maintainer +
                                    " (NAME <EMAIL>)";
  return "";
}

}  // namespace

bool parseFileAssociation(const std::string& text, FileAssociation* association) {
  size_t colon = text.find(':');
  if (colon == std::string::npos) return false;
  std::string extension = text.substr(0, colon), rest = text.substr(colon + 1);
  if (!extension.empty() && extension[0] == '.') extension.erase(0, 1);
  size_t last = rest.rfind(':');
  std::string mimeType;
  if (last != std::string::npos && isMimeType(rest.substr(last + 1))) {
    mimeType = rest.substr(last + 1);
    rest.erase(last);
  }
  if (extension.empty() || extension.size() > 32 || !allOf(extension, "_+-") || rest.empty() ||
      hasControlCharacters(rest))
    return false;
  *association = {lowered(extension), rest, lowered(mimeType)};
  return true;
}

std::string defaultAppUserModelId(const std::string& vendor, const std::string& name) {
  std::string vendorPart = identityPart(vendor), namePart = identityPart(name);
  if (namePart.empty()) namePart = "App";
  std::string id = vendorPart.empty() ? namePart : vendorPart + "." + namePart;
  if (id.size() > 128) {
    id.resize(128);
    while (!id.empty() && (static_cast<unsigned char>(id.back()) & 0xC0) == 0x80) id.pop_back();
    if (!id.empty() && static_cast<unsigned char>(id.back()) >= 0xC0) id.pop_back();
  }
  return id;
}

std::string packageName(const std::string& name) {
  std::string package;
  for (char c : lowered(name)) {
    if (isAsciiLetterOrDigit(static_cast<unsigned char>(c)) || c == '+' || c == '.')
      package += c;
    else if (!package.empty() && package.back() != '-')
      package += '-';
  }
  while (!package.empty() && package.back() == '-') package.pop_back();
  if (package.size() < 2 || !isAsciiLetterOrDigit(static_cast<unsigned char>(package[0])))
    return "";
  return package;
}

bool wantsInstaller(const PackOptions& options, const std::string& kind) {
  return std::find(options.installers.begin(), options.installers.end(), kind) !=
         options.installers.end();
}

std::string checkInstallerOptions(PackOptions& options, bool scopeGiven) {
  for (const std::string& error : {checkKinds(options), checkDocuments(options),
                                   checkWindowsOnes(options, scopeGiven),
                                   checkSigning(options), checkLinuxOnes(options)})
    if (!error.empty()) return error;
  return "";
}
