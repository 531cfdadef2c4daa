// The launcher's manifest as vantrel-pack rewrites it: the assembly name,
// the description and the UTF-8 code page, whatever other Windows settings
// the manifest holds and however its namespaces are written.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "exe_identity.h"

namespace {

const char head[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">\n"
    "  <assemblyIdentity type=\"win32\" name=\"Vantrel.Launcher\" version=\"1.0.0.0\"/>\n"
    "  <description>Vantrel Launcher</description>\n"
    "  <compatibility xmlns=\"urn:schemas-microsoft-com:compatibility.v1\">\n"
    "    <application><supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/></application>\n"
    "  </compatibility>\n";
const char codePage[] =
    "<activeCodePage xmlns=\"http://schemas.microsoft.com/SMI/2019/WindowsSettings\">"
    "UTF-8</activeCodePage>";

size_t count(const std::string& text, const std::string& part) {
  size_t found = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
    ++found;
  return found;
}

struct ManifestCase {
  const char* what;
  std::string body;  ///< after the head, before </assembly>
  bool utf8;
  const char* settingsOpen;  ///< the windowsSettings start tag the code page must follow
};

TEST(Manifest, IdentityAndCodePage) {
  const std::string dpi =
      "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true</dpiAware>";
  const ManifestCase cases[] = {
      {"no Windows settings", "", true, "<windowsSettings>"},
      {"settings present",
       "  <application xmlns=\"urn:schemas-microsoft-com:asm.v3\">\n    <windowsSettings>" +
           dpi + "</windowsSettings>\n  </application>\n",
       true, "<windowsSettings>"},
      {"prefixed settings",
       "  <asmv3:application xmlns:asmv3=\"urn:schemas-microsoft-com:asm.v3\">"
       "<asmv3:windowsSettings>" + dpi + "</asmv3:windowsSettings></asmv3:application>\n",
       true, "<asmv3:windowsSettings>"},
      {"application without settings",
       "  <application xmlns=\"urn:schemas-microsoft-com:asm.v3\"></application>\n", true,
       "<windowsSettings>"},
      {"empty settings",
       "  <application xmlns=\"urn:schemas-microsoft-com:asm.v3\"><windowsSettings/></application>\n",
       true, "<windowsSettings>"},
      {"code page present", "  <application xmlns=\"urn:schemas-microsoft-com:asm.v3\">"
       "<windowsSettings>" + std::string(codePage) + "</windowsSettings></application>\n",
       true, "<windowsSettings>"},
      {"code page for an old runtime", "  <application xmlns=\"urn:schemas-microsoft-com:asm.v3\">"
       "<windowsSettings>" + dpi + codePage + "</windowsSettings></application>\n",
       false, nullptr},
  };
  for (const ManifestCase& c : cases) {
    SCOPED_TRACE(c.what);
    ExeIdentity identity;
    identity.name = "My App";
    identity.description = "Tools & <toys>";
    identity.utf8CodePage = c.utf8;
    std::string manifest = std::string(head) + c.body + "</assembly>\n";
    std::string result = rewriteManifest(manifest, identity);
    EXPECT_NE(result.find("name=\"My_App\" version=\"1.0.0.0\""), std::string::npos) << result;
    EXPECT_NE(result.find("<description>Tools &amp; &lt;toys&gt;</description>"),
              std::string::npos) << result;
    EXPECT_EQ(count(result, "<activeCodePage"), c.utf8 ? 1u : 0u) << result;
    EXPECT_EQ(count(result, "Id=\"{8e0f7a12"), 1u) << result;
    EXPECT_EQ(count(result, dpi), count(manifest, dpi)) << result;
    EXPECT_LE(count(result, "windowsSettings>"), 2u) << result;
    // One application element for the settings, the one there was if any.
    EXPECT_EQ(count(result, "asm.v3\""), std::max<size_t>(count(manifest, "asm.v3\""), 1u))
        << result;
    if (c.settingsOpen) {
      size_t settings = result.find(c.settingsOpen);
      ASSERT_NE(settings, std::string::npos) << result;
      size_t page = result.find("<activeCodePage");
      size_t close = result.find("windowsSettings>", settings + std::strlen(c.settingsOpen));
      EXPECT_TRUE(settings < page && page < close) << result;
    }
  }
}

}  // namespace
