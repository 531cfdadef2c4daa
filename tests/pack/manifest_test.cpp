// The launcher's manifest as vantrel-pack makes it from the build's
// template: the assembly name, the description and the UTF-8 code page
// filled in, the launcher's other Windows settings kept.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "exe_identity.h"

namespace {

size_t count(const std::string& text, const std::string& part) {
  size_t found = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
    ++found;
  return found;
}

struct ManifestCase {
  const char* what;
  const char* name;
  const char* description;
  bool utf8;
  const char* assemblyName;
  const char* shownDescription;
};

TEST(Manifest, IdentityAndCodePage) {
  const ManifestCase cases[] = {
      {"runtime of Java 18 or later", "My App", "Tools & <toys>", true, "My_App",
       "Tools &amp; &lt;toys&gt;"},
      {"older runtime", "My App", "Tools & <toys>", false, "My_App", "Tools &amp; &lt;toys&gt;"},
      {"no description: the name", "\xc3\x9c \"App\"", "", true, "____App_",
       "\xc3\x9c &quot;App&quot;"},
  };
  for (const ManifestCase& c : cases) {
    SCOPED_TRACE(c.what);
    ExeIdentity identity;
    identity.name = c.name;
    identity.description = c.description;
    identity.utf8CodePage = c.utf8;
    std::string result = manifestFor(identity);
    EXPECT_NE(result.find(std::string("name=\"") + c.assemblyName + "\" version=\"1.0.0.0\""),
              std::string::npos) << result;
    EXPECT_NE(result.find(std::string("<description>") + c.shownDescription + "</description>"),
              std::string::npos) << result;
    EXPECT_EQ(result.find("@VANTREL_"), std::string::npos) << result;
    EXPECT_EQ(count(result, "<activeCodePage"), c.utf8 ? 1u : 0u) << result;
    EXPECT_EQ(count(result, "Id=\"{8e0f7a12"), 1u) << result;
    EXPECT_EQ(count(result, "<dpiAware "), 1u) << result;
    EXPECT_EQ(count(result, "windowsSettings>"), 2u) << result;
    if (c.utf8) {
      size_t settings = result.find("<windowsSettings>");
      size_t page = result.find("<activeCodePage");
      size_t close = result.find("</windowsSettings>");
      EXPECT_TRUE(settings < page && page < close) << result;
    }
  }
}

}  // namespace
