// What vantrel-pack reads from a jar to plan an app folder: the manifest's
// attributes and Class-Path entries as Java resolves them, and a module
// descriptor's requires, from well-formed and crafted bytes.
#include "jar_manifest.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "runtime_modules.h"

namespace {

TEST(JarManifest, AttributesAndClassPath) {
  const JarManifest manifest = parseManifest(
      "Manifest-Version: 1.0\r\nMain-class: a.Main\r\nClass-Path: lib/x.jar /abs/y.j\r\n ar "
      "file:/opt/my%20app/z.jar file://localhost/w.jar\r\n  http://host/h.jar ../up/ file://"
      "server/s.jar\r\n\r\nName: not/main\r\nClass-Path: ignored.jar\r\n");
  EXPECT_EQ(manifest.value("Main-Class"), "a.Main");  // names ignore case
  EXPECT_EQ(manifest.value("Add-Opens"), "");
  struct Expected {
    const char* text;
    const char* path;  // "" when it names no file
    bool folder;
  };
  const Expected expected[] = {
      {"lib/x.jar", "/jars/lib/x.jar", false},
      {"/abs/y.jar", "/abs/y.jar", false},
      {"file:/opt/my%20app/z.jar", "/opt/my app/z.jar", false},
      {"file://localhost/w.jar", "/w.jar", false},
      {"http://host/h.jar", "", false},
      {"../up/", "/up", true},
      {"file://server/s.jar", "", false},
  };
  const std::vector<ClassPathReference> references =
      classPathReferences(manifest.value("Class-Path"), "/jars");
  ASSERT_EQ(references.size(), std::size(expected));
  for (size_t i = 0; i < references.size(); ++i) {
    EXPECT_EQ(references[i].text, expected[i].text);
    EXPECT_EQ(references[i].path, expected[i].path) << expected[i].text;
    EXPECT_EQ(references[i].folder, expected[i].folder) << expected[i].text;
  }
}

/// A module-info.class of `module` requiring `required`, with the constant
/// `extra` (bytes of one pool entry) first in its pool.
std::string moduleInfo(const std::string& extra, const std::string& module,
                       const std::string& required) {
  auto u16 = [](unsigned value) { return std::string{char(value >> 8), char(value & 0xff)}; };
  auto utf8 = [&](const std::string& text) {
    return std::string(1, '\1') + u16(text.size()) + text;
  };
  std::string pool = extra + utf8("Module") + utf8(module) + "\x13" + u16(3) + utf8(required) +
                     "\x13" + u16(5) + utf8("module-info") + "\x07" + u16(7);
  std::string attribute = u16(4) + u16(0) + u16(0) + u16(1) + u16(6) + u16(0) + u16(0) +
                          std::string(8, '\0');  // exports, opens, uses, provides
  return std::string("\xCA\xFE\xBA\xBE\0\0\0\x35", 8) + u16(9) + pool + u16(0x8000) + u16(8) +
         u16(0) + u16(0) + u16(0) + u16(0) + u16(1) + u16(2) + std::string(2, '\0') +
         u16(attribute.size()) + attribute;
}

TEST(JarManifest, ModuleDescriptors) {
  std::string name;
  std::vector<std::string>
  requires;
  // Pool entry 1: an Integer, a Class naming itself, a tag that is none.
  const std::string integer("\x03\0\0\0\0", 5), badTag("\x02\0\0\0\0", 5);
  ASSERT_TRUE(readModuleInfo(moduleInfo(integer, "app.core", "java.sql"), &name, &requires));
  EXPECT_EQ(name, "app.core");
  EXPECT_EQ(requires, std::vector<std::string>{"java.sql"});
  std::string selfNamed = moduleInfo(std::string("\x07\0\x01", 3), "m", "java.sql");
  EXPECT_TRUE(readModuleInfo(selfNamed, &name, &requires));
  selfNamed.replace(selfNamed.find("\x13\0\x03", 0, 3) + 2, 1, "\x01");  // the module is entry 1
  EXPECT_FALSE(readModuleInfo(selfNamed, &name, &requires));
  EXPECT_FALSE(readModuleInfo(moduleInfo(badTag, "m", "x"), &name, &requires));
  const std::string whole = moduleInfo(integer, "m", "x");
  for (size_t size = 0; size < whole.size(); ++size)
    EXPECT_FALSE(readModuleInfo(whole.substr(0, size), &name, &requires)) << size;
}

}  // namespace
