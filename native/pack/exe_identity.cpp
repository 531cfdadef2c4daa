// Icon group, version resource and manifest of a packaged Vantrel.exe.
#include "exe_identity.h"

#include <algorithm>
#include <cctype>

#include "bytes.h"
#include "manifest_template.h"
#include "pe_resources.h"
#include "utf8_text.h"

namespace {

using bytes::append16;
using bytes::append32;

constexpr uint16_t englishUs = 0x409;
constexpr uint16_t unicodeCodePage = 1200;
/// Version resource nodes give their lengths in 16 bits.
constexpr size_t maximumVersionBytes = 0xffff;

void appendText(std::string* out, const std::u16string& text) {
  for (char16_t c : text) append16(out, c);
  append16(out, 0);
}

void padTo4(std::string* out) {
  while (out->size() % 4) *out += '\0';
}

/// One node of a version resource: length, value length, type, key, value,
/// children, each part starting on a 32-bit boundary. The lengths are cut
/// to 16 bits: versionResource refuses a tree whose root is longer.
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
  bytes::put16(&node, 0, static_cast<uint32_t>(node.size() & 0xffff));
  bytes::put16(&node, 2, valueLength & 0xffff);
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

/// Puts `value` in place of each `field` of the template.
void fill(std::string* text, const std::string& field, const std::string& value) {
  for (size_t at = text->find(field); at != std::string::npos;
       at = text->find(field, at + value.size()))
    text->replace(at, field.size(), value);
}

ResourceKey numbered(uint16_t id) {
  ResourceKey key;
  key.id = id;
  return key;
}

bool ofType(const ResourceEntry& entry, uint16_t type) {
  return !entry.type.named && entry.type.id == type;
}

/// The icon group and its icons, numbered from 1, under the group name of
/// the launcher's own icon.
void replaceIcon(std::vector<ResourceEntry>* entries, const std::vector<IconImage>& icon) {
  ResourceKey groupName = numbered(1);
  uint16_t language = englishUs;
  auto group = std::find_if(entries->begin(), entries->end(), [](const ResourceEntry& entry) {
    return ofType(entry, resourceIconGroup);
  });
  if (group != entries->end()) groupName = group->name, language = group->language;
  entries->erase(std::remove_if(entries->begin(), entries->end(), [](const ResourceEntry& entry) {
    return ofType(entry, resourceIcon) || ofType(entry, resourceIconGroup);
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
  auto first = std::find_if(entries->begin(), entries->end(),
                            [type](const ResourceEntry& entry) { return ofType(entry, type); });
  if (first != entries->end()) replacement.name = first->name, replacement.language = first->language;
  entries->erase(std::remove_if(entries->begin(), entries->end(),
                                [type](const ResourceEntry& entry) { return ofType(entry, type); }),
                 entries->end());
  entries->push_back(replacement);
}

}  // namespace

bool versionResource(const ExeIdentity& identity, std::string* resource, std::string* error) {
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
  *resource = versionNode("VS_VERSION_INFO", fixed, static_cast<uint32_t>(fixed.size()), false,
                          {versionNode("StringFileInfo", "", 0, true, {table}),
                           versionNode("VarFileInfo", "", 0, true, {var})});
  if (resource->size() <= maximumVersionBytes) return true;
  *error = "the version information of a Windows executable holds at most " +
           std::to_string(maximumVersionBytes) + " bytes; the name, --description, --vendor "
           "and --copyright need " + std::to_string(resource->size());
  return false;
}

std::string manifestFor(const ExeIdentity& identity) {
  std::string xml = manifestTemplate;
  fill(&xml, "@VANTREL_ASSEMBLY_NAME@", assemblyName(identity.name));
  fill(&xml, "@VANTREL_MANIFEST_DESCRIPTION@",
       xmlEscaped(identity.description.empty() ? identity.name : identity.description));
  fill(&xml, "@VANTREL_ACTIVE_CODE_PAGE@", identity.utf8CodePage ? utf8CodePageElement : "");
  return xml;
}

bool brandExecutable(std::string* exe, const ExeIdentity& identity, std::string* error) {
  std::vector<ResourceEntry> entries;
  std::string version;
  if (!versionResource(identity, &version, error) || !readResources(*exe, &entries, error))
    return false;
  if (!identity.icon.empty()) replaceIcon(&entries, identity.icon);
  replaceOfType(&entries, resourceVersion, 1, version);
  replaceOfType(&entries, resourceManifest, 1, manifestFor(identity));
  if (!writeResources(exe, entries, error)) return false;
  if (checkWrittenResources(*exe, entries, error)) return true;
  *error = "the executable made from it is not sound: " + *error;
  return false;
}
