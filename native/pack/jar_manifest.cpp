// Jar manifests: lines of "Name: value", at most 72 bytes each, longer
// values continued on lines that start with a space; the main section ends
// at the first empty line.
#include "jar_manifest.h"

#include <algorithm>
#include <filesystem>

#include "file_util.h"

namespace {

/// The most bytes of a manifest read (signed jars list a digest per entry).
constexpr uint64_t maximumManifestBytes = 64u << 20;

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool sameIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return lower(x) == lower(y); });
}

/// The next line of `text` from `*at`, without its end; false at the end.
bool nextLine(std::string_view text, size_t* at, std::string_view* line) {
  if (*at >= text.size()) return false;
  size_t end = text.find_first_of("\r\n", *at);
  if (end == std::string_view::npos) end = text.size();
  *line = text.substr(*at, end - *at);
  *at = end;
  if (*at < text.size() && text[*at] == '\r') ++*at;
  if (*at < text.size() && text[*at] == '\n' && text[*at - 1] != '\n') ++*at;
  return true;
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = lower(c);
  return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

std::string percentDecoded(std::string_view text) {
  std::string decoded;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 &&
        hexValue(text[i + 2]) >= 0) {
      decoded += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
      i += 2;
    } else {
      decoded += text[i];
    }
  }
  return decoded;
}

/// The path a URL relative to the jar's names, or empty for another scheme.
std::string pathOfUrl(std::string_view url, const std::string& jarFolder) {
  size_t colon = url.find(':');
  size_t slash = url.find('/');
  if (colon != std::string_view::npos && (slash == std::string_view::npos || colon < slash)) {
    if (!sameIgnoringCase(url.substr(0, colon), "file")) return std::string();
    url.remove_prefix(colon + 1);
    // file://host/path: only a local host names a file here.
    if (url.substr(0, 2) == "//") {
      size_t pathStart = url.find('/', 2);
      std::string_view host = url.substr(
          2, pathStart == std::string_view::npos ? std::string_view::npos : pathStart - 2);
      if (!host.empty() && !sameIgnoringCase(host, "localhost")) return std::string();
      url.remove_prefix(pathStart == std::string_view::npos ? url.size() : pathStart);
    }
  }
  std::string path = percentDecoded(url);
#ifdef _WIN32
  if (path.size() > 2 && path[0] == '/' && path[2] == ':') path.erase(0, 1);
#endif
  std::filesystem::path resolved = path.size() && (path[0] == '/' || pathOf(path).is_absolute())
                                       ? pathOf(path)
                                       : pathOf(jarFolder) / pathOf(path);
  return textOf(resolved.lexically_normal());
}

}  // namespace

std::string JarManifest::value(std::string_view name) const {
  for (const auto& [key, text] : attributes)
    if (sameIgnoringCase(key, name)) return text;
  return std::string();
}

JarManifest parseManifest(std::string_view text) {
  JarManifest manifest;
  size_t at = 0;
  std::string_view line;
  while (nextLine(text, &at, &line) && !line.empty()) {
    if (line[0] == ' ') {
      if (!manifest.attributes.empty()) manifest.attributes.back().second += line.substr(1);
      continue;
    }
    size_t colon = line.find(": ");
    if (colon == std::string_view::npos) continue;
    manifest.attributes.emplace_back(std::string(line.substr(0, colon)),
                                     std::string(line.substr(colon + 2)));
  }
  return manifest;
}

bool readManifest(const std::string& path, const std::vector<JarEntry>& entries,
                  JarManifest* manifest, std::string* error) {
  *manifest = JarManifest();
  auto entry = std::find_if(entries.begin(), entries.end(), [](const JarEntry& candidate) {
    return sameIgnoringCase(candidate.name, "META-INF/MANIFEST.MF");
  });
  if (entry == entries.end()) return true;
  std::string text;
  if (!readJarEntry(path, *entry, maximumManifestBytes, &text, error)) return false;
  *manifest = parseManifest(text);
  return true;
}

std::vector<std::string> manifestWords(std::string_view value) {
  std::vector<std::string> words;
  size_t start = 0;
  while (start < value.size()) {
    size_t end = value.find_first_of(" \t", start);
    if (end == std::string_view::npos) end = value.size();
    if (end > start) words.emplace_back(value.substr(start, end - start));
    start = end + 1;
  }
  return words;
}

std::vector<ClassPathReference> classPathReferences(std::string_view value,
                                                    const std::string& jarFolder) {
  std::vector<ClassPathReference> references;
  for (const std::string& word : manifestWords(value)) {
    ClassPathReference reference;
    reference.text = word;
    reference.path = pathOfUrl(word, jarFolder);
    reference.folder = word.back() == '/';
    while (reference.path.size() > 1 && reference.path.back() == '/') reference.path.pop_back();
    references.push_back(reference);
  }
  return references;
}
