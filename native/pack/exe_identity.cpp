// Icon group, version resource and manifest of a packaged Vantrel.exe.
#include "exe_identity.h"

#include <algorithm>
#include <cctype>

#include "pe_resources.h"

namespace {

constexpr uint16_t englishUs = 0x409;
constexpr uint16_t unicodeCodePage = 1200;

void append16(std::string* out, uint32_t value) {
  *out += static_cast<char>(value & 0xff);
  *out += static_cast<char>(value >> 8 & 0xff);
}

void append32(std::string* out, uint32_t value) {
  append16(out, value & 0xffff);
  append16(out, value >> 16);
}

/// UTF-8 to UTF-16; malformed bytes become U+FFFD.
std::u16string utf16Of(const std::string& text) {
  std::u16string wide;
  for (size_t i = 0; i < text.size();) {
    unsigned char lead = static_cast<unsigned char>(text[i]);
    int length = lead < 0x80 ? 1 : lead >> 5 == 6 ? 2 : lead >> 4 == 14 ? 3 : lead >> 3 == 30 ? 4 : 0;
    uint32_t code = length == 1 ? lead : length ? lead & (0x7f >> length) : 0xfffd;
    bool valid = length > 0 && i + length <= text.size();
    for (int k = 1; valid && k < length; ++k) {
      unsigned char next = static_cast<unsigned char>(text[i + k]);
      valid = (next & 0xc0) == 0x80;
      code = code << 6 | (next & 0x3f);
    }
    if (!valid || code > 0x10ffff) code = 0xfffd, length = 1;
    if (code >= 0x10000) {
      wide += static_cast<char16_t>(0xd800 + ((code - 0x10000) >> 10));
      wide += static_cast<char16_t>(0xdc00 + (code & 0x3ff));
    } else {
      wide += static_cast<char16_t>(code);
    }
    i += static_cast<size_t>(length);
  }
  return wide;
}

void appendText(std::string* out, const std::u16string& text) {
  for (char16_t c : text) append16(out, c);
  append16(out, 0);
}

void padTo4(std::string* out) {
  while (out->size() % 4) *out += '\0';
}

/// One node of a version resource: length, value length, type, key, value,
/// children, each part starting on a 32-bit boundary.
std::string versionNode(const std::string& key, const std::string& value, uint32_t valueLength,
                        bool isText, const std::vector<std::string>& children) {
  std::string node(6, '\0');
  appendText(&node, utf16Of(key));
  padTo4(&node);
  node += value;
  for (const std::string& child : children) {
    padTo4(&node);
    node += child;
  }
  node[0] = static_cast<char>(node.size() & 0xff);
  node[1] = static_cast<char>(node.size() >> 8);
  node[2] = static_cast<char>(valueLength & 0xff);
  node[3] = static_cast<char>(valueLength >> 8);
  node[4] = isText ? 1 : 0;
  return node;
}

std::string stringNode(const std::string& key, const std::string& text) {
  std::u16string wide = utf16Of(text);
  std::string value;
  appendText(&value, wide);
  return versionNode(key, value, static_cast<uint32_t>(wide.size() + 1), true, {});
}

std::string fixedFileInfo(const unsigned short parts[4]) {
  std::string info;
  append32(&info, 0xfeef04bd);
  append32(&info, 0x00010000);
  for (int twice = 0; twice < 2; ++twice) {
    append32(&info, static_cast<uint32_t>(parts[0]) << 16 | parts[1]);
    append32(&info, static_cast<uint32_t>(parts[2]) << 16 | parts[3]);
  }
  append32(&info, 0x3f);        // flags mask
  append32(&info, 0);           // flags
  append32(&info, 0x00040004);  // Windows NT, 32-bit API
  append32(&info, 1);           // an application
  append32(&info, 0);
  append32(&info, 0);
  append32(&info, 0);
  return info;
}

std::string xmlEscaped(const std::string& text) {
  std::string escaped;
  for (char c : text) {
    if (c == '&') escaped += "&amp;";
    else if (c == '<') escaped += "&lt;";
    else if (c == '>') escaped += "&gt;";
    else if (c == '"') escaped += "&quot;";
    else escaped += c;
  }
  return escaped;
}

/// An assembly name takes letters, digits, '.', '-' and '_'.
std::string assemblyName(const std::string& name) {
  std::string result;
  for (char c : name)
    result += (std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '_')
                  ? c : '_';
  return result;
}

/// The span [start, end) of the first element at or after `from` whose tag
/// name is `name` (with or without a namespace prefix), from its '<' to after
/// its end tag or '/>'; npos when absent. `openEnd` is set after the start
/// tag's '>'.
size_t findElement(const std::string& xml, const std::string& name, size_t from,
                   size_t* openEnd, size_t* end) {
  for (size_t at = xml.find('<', from); at != std::string::npos; at = xml.find('<', at + 1)) {
    size_t nameStart = at + 1, nameEnd = xml.find_first_of(" \t\r\n/>", nameStart);
    if (nameEnd == std::string::npos) return std::string::npos;
    std::string tag = xml.substr(nameStart, nameEnd - nameStart);
    size_t colon = tag.find(':');
    if ((colon == std::string::npos ? tag : tag.substr(colon + 1)) != name) continue;
    size_t close = xml.find('>', nameEnd);
    if (close == std::string::npos) return std::string::npos;
    *openEnd = close + 1;
    if (xml[close - 1] == '/') {
      *end = close + 1;
      return at;
    }
    size_t endTag = xml.find("</" + tag, close);
    if (endTag == std::string::npos) return std::string::npos;
    *end = xml.find('>', endTag) + 1;
    return at;
  }
  return std::string::npos;
}

bool selfClosing(const std::string& xml, size_t openEnd) {
  return xml.compare(openEnd - 2, 2, "/>") == 0;
}

/// Sets the value of attribute `name` inside the start tag [start, openEnd).
void setAttribute(std::string* xml, size_t start, size_t openEnd, const std::string& name,
                  const std::string& value) {
  size_t at = xml->find(" " + name + "=\"", start);
  if (at == std::string::npos || at > openEnd) return;
  size_t valueStart = at + name.size() + 3;
  size_t valueEnd = xml->find('"', valueStart);
  xml->replace(valueStart, valueEnd - valueStart, value);
}

const char codePageElement[] =
    "<activeCodePage xmlns=\"http://schemas.microsoft.com/SMI/2019/WindowsSettings\">"
    "UTF-8</activeCodePage>";

/// The application element of the asm.v3 namespace (windowsSettings live
/// there), not the compatibility section's; npos when absent.
size_t findSettingsApplication(const std::string& xml, size_t* openEnd, size_t* end) {
  for (size_t at = findElement(xml, "application", 0, openEnd, end); at != std::string::npos;
       at = findElement(xml, "application", *openEnd, openEnd, end))
    if (xml.substr(at, *openEnd - at).find("urn:schemas-microsoft-com:asm.v3") !=
            std::string::npos && !selfClosing(xml, *openEnd))
      return at;
  return std::string::npos;
}

void setCodePage(std::string* xml, bool utf8) {
  size_t openEnd = 0, end = 0;
  size_t existing = findElement(*xml, "activeCodePage", 0, &openEnd, &end);
  if (existing != std::string::npos) {
    xml->replace(existing, end - existing, utf8 ? codePageElement : "");
    return;
  }
  if (!utf8) return;
  std::string element = std::string("\n      ") + codePageElement;
  size_t settings = findElement(*xml, "windowsSettings", 0, &openEnd, &end);
  if (settings != std::string::npos && !selfClosing(*xml, openEnd)) {
    xml->insert(openEnd, element);
    return;
  }
  std::string block = "\n    <windowsSettings>" + element + "\n    </windowsSettings>";
  if (settings != std::string::npos) {
    xml->replace(settings, end - settings, block.substr(5));
    return;
  }
  if (findSettingsApplication(*xml, &openEnd, &end) != std::string::npos) {
    xml->insert(openEnd, block);
    return;
  }
  size_t rootEnd = xml->rfind("</");
  if (rootEnd == std::string::npos) return;
  xml->insert(rootEnd, "  <application xmlns=\"urn:schemas-microsoft-com:asm.v3\">" + block +
                           "\n  </application>\n");
}

ResourceKey numbered(uint16_t id) {
  ResourceKey key;
  key.id = id;
  return key;
}

/// The icon group and its icons, numbered from 1, under the group name of
/// the launcher's own icon.
void replaceIcon(std::vector<ResourceEntry>* entries, const std::vector<IconImage>& icon) {
  ResourceKey groupName = numbered(1);
  uint16_t language = englishUs;
  auto group = std::find_if(entries->begin(), entries->end(), [](const ResourceEntry& entry) {
    return !entry.type.named && entry.type.id == resourceIconGroup;
  });
  if (group != entries->end()) groupName = group->name, language = group->language;
  entries->erase(std::remove_if(entries->begin(), entries->end(), [](const ResourceEntry& entry) {
    return !entry.type.named && (entry.type.id == resourceIcon || entry.type.id == resourceIconGroup);
  }), entries->end());
  ResourceEntry directory{numbered(resourceIconGroup), groupName, language, 0, ""};
  append16(&directory.data, 0);
  append16(&directory.data, 1);
  append16(&directory.data, static_cast<uint32_t>(icon.size()));
  for (size_t i = 0; i < icon.size(); ++i) {
    const IconImage& image = icon[i];
    directory.data += static_cast<char>(image.width & 0xff);
    directory.data += static_cast<char>(image.height & 0xff);
    directory.data += static_cast<char>(image.colorCount);
    directory.data += '\0';
    append16(&directory.data, 1);
    append16(&directory.data, static_cast<uint32_t>(image.bitCount));
    append32(&directory.data, static_cast<uint32_t>(image.data.size()));
    append16(&directory.data, static_cast<uint32_t>(i + 1));
    entries->push_back({numbered(resourceIcon), numbered(static_cast<uint16_t>(i + 1)),
                        language, 0, image.data});
  }
  entries->push_back(directory);
}

/// Replaces every resource of `type` with one holding `data` (under the name
/// and language of the first one, or `name`).
void replaceOfType(std::vector<ResourceEntry>* entries, uint16_t type, uint16_t name,
                   const std::string& data) {
  ResourceEntry replacement{numbered(type), numbered(name), englishUs, 0, data};
  auto first = std::find_if(entries->begin(), entries->end(), [type](const ResourceEntry& entry) {
    return !entry.type.named && entry.type.id == type;
  });
  if (first != entries->end()) replacement.name = first->name, replacement.language = first->language;
  entries->erase(std::remove_if(entries->begin(), entries->end(), [type](const ResourceEntry& entry) {
    return !entry.type.named && entry.type.id == type;
  }), entries->end());
  entries->push_back(replacement);
}

}  // namespace

std::string versionResource(const ExeIdentity& identity) {
  std::vector<std::pair<std::string, std::string>> values = {
      {"CompanyName", identity.vendor},
      {"FileDescription", identity.description.empty() ? identity.name : identity.description},
      {"FileVersion", identity.version},
      {"InternalName", identity.name},
      {"LegalCopyright", identity.copyright},
      {"OriginalFilename", identity.name + ".exe"},
      {"ProductName", identity.name},
      {"ProductVersion", identity.version}};
  std::vector<std::string> strings;
  for (const auto& [key, text] : values)
    if (!text.empty()) strings.push_back(stringNode(key, text));
  std::string table = versionNode("040904b0", "", 0, true, strings);
  std::string translation;
  append16(&translation, englishUs);
  append16(&translation, unicodeCodePage);
  std::string var = versionNode("Translation", translation, 4, false, {});
  std::string fixed = fixedFileInfo(identity.versionParts);
  return versionNode("VS_VERSION_INFO", fixed, static_cast<uint32_t>(fixed.size()), false,
                     {versionNode("StringFileInfo", "", 0, true, {table}),
                      versionNode("VarFileInfo", "", 0, true, {var})});
}

std::string rewriteManifest(const std::string& manifest, const ExeIdentity& identity) {
  std::string xml = manifest;
  size_t openEnd = 0, end = 0;
  size_t assembly = findElement(xml, "assemblyIdentity", 0, &openEnd, &end);
  if (assembly != std::string::npos)
    setAttribute(&xml, assembly, openEnd, "name", assemblyName(identity.name));
  size_t description = findElement(xml, "description", 0, &openEnd, &end);
  if (description != std::string::npos && !selfClosing(xml, openEnd)) {
    size_t endTag = xml.rfind("</", end);
    std::string text = identity.description.empty() ? identity.name : identity.description;
    xml.replace(openEnd, endTag - openEnd, xmlEscaped(text));
  }
  setCodePage(&xml, identity.utf8CodePage);
  return xml;
}

bool brandExecutable(std::string* exe, const ExeIdentity& identity, std::string* error) {
  std::vector<ResourceEntry> entries;
  if (!readResources(*exe, &entries, error)) return false;
  if (!identity.icon.empty()) replaceIcon(&entries, identity.icon);
  replaceOfType(&entries, resourceVersion, 1, versionResource(identity));
  auto manifest = std::find_if(entries.begin(), entries.end(), [](const ResourceEntry& entry) {
    return !entry.type.named && entry.type.id == resourceManifest;
  });
  std::string text = manifest == entries.end() ? "" : manifest->data;
  if (!text.empty()) replaceOfType(&entries, resourceManifest, 1, rewriteManifest(text, identity));
  return writeResources(exe, entries, error);
}
