// The files the installers are generated from, whole: the .wxs of the MSI,
// the desktop entry and MIME types, the deb's control file and the rpm's
// spec, for an app whose texts need every kind of quoting; and the quoting
// and option readers they rest on.
#include <gtest/gtest.h>

#include <string>

#include "desktop_entry.h"
#include "installer_deb.h"
#include "installer_msi.h"
#include "installer_options.h"
#include "installer_rpm.h"
#include "text_escaping.h"

namespace {

PackOptions cartoon(PackTarget target) {
  PackOptions options;
  options.name = "Tom & Jerry's";
  options.mainClass = "com.example.Cartoon";
  options.appVersion = "2.5.1";
  options.vendor = "ACME <Films>";
  options.description = "Chases [for] 100% fun";
  options.maintainer = "Tom <tom@example.com>";
  options.target = target;
  options.associations = {{"tj", "Chase #1", ""},
                          {"toon", "Toon \"score\"", "application/vnd.acme.toon"}};
  options.urlSchemes = {"tom-jerry"};
  options.appUserModelId = "ACMEFilms.TomJerrys";
  return options;
}

TEST(InstallerFiles, MsiSource) {
  MsiLayout layout;
  layout.files = {"Tom & Jerry's.exe", "config.json", "jre/bin/server/jvm.dll", "lib/a.jar"};
  layout.upgradeCode = "01234567-89AB-CDEF-0123-456789ABCDEF";
  layout.sizeKiB = 48335;
  EXPECT_EQ(msiSource(cartoon(PackTarget::Windows), layout),
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<Wix xmlns=\"http://schemas.microsoft.com/wix/2006/wi\">\n"
    "  <Product Id=\"*\" Name=\"Tom &amp; Jerry&apos;s\" Language=\"1033\" Codepage=\"1252\" Version=\"2.5.1\" Manufacturer=\"ACME &lt;Films&gt;\" UpgradeCode=\"01234567-89AB-CDEF-0123-456789ABCDEF\">\n"
    "    <Package InstallerVersion=\"500\" Compressed=\"yes\" InstallScope=\"perUser\" Description=\"Chases [for] 100% fun\" Manufacturer=\"ACME &lt;Films&gt;\"/>\n"
    "    <Upgrade Id=\"01234567-89AB-CDEF-0123-456789ABCDEF\">\n"
    "      <UpgradeVersion Minimum=\"0.0.0\" IncludeMinimum=\"yes\" Maximum=\"2.5.2\" IncludeMaximum=\"no\" Property=\"OLDERVERSIONFOUND\"/>\n"
    "      <UpgradeVersion Minimum=\"2.5.1\" IncludeMinimum=\"no\" OnlyDetect=\"yes\" Property=\"NEWERVERSIONFOUND\"/>\n"
    "    </Upgrade>\n"
    "    <Condition Message=\"A newer version of Tom &amp; Jerry&apos;s is already installed. Uninstall it first to install version 2.5.1.\">NOT NEWERVERSIONFOUND</Condition>\n"
    "    <InstallExecuteSequence>\n"
    "      <RemoveExistingProducts After=\"InstallValidate\"/>\n"
    "    </InstallExecuteSequence>\n"
    "    <Media Id=\"1\" Cabinet=\"app.cab\" EmbedCab=\"yes\"/>\n"
    "    <Icon Id=\"AppIcon.exe\" SourceFile=\"Tom &amp; Jerry&apos;s.exe\"/>\n"
    "    <Property Id=\"ARPPRODUCTICON\" Value=\"AppIcon.exe\"/>\n"
    "    <Property Id=\"ARPNOMODIFY\" Value=\"1\"/>\n"
    "    <Property Id=\"ARPSIZE\" Value=\"48335\"/>\n"
    "    <Directory Id=\"TARGETDIR\" Name=\"SourceDir\">\n"
    "      <Directory Id=\"LocalAppDataFolder\">\n"
    "      <Directory Id=\"UserProgramsFolder\" Name=\"Programs\">\n"
    "      <Directory Id=\"INSTALLDIR\" Name=\"Tom &amp; Jerry&apos;s\">\n"
    "        <Component Id=\"AppExeComponent\" Guid=\"*\" Win64=\"yes\">\n"
    "          <File Id=\"AppExe\" Name=\"Tom &amp; Jerry&apos;s.exe\" Source=\"Tom &amp; Jerry&apos;s.exe\" KeyPath=\"yes\"/>\n"
    "        </Component>\n"
    "        <Component Id=\"cmp2\" Guid=\"*\" Win64=\"yes\">\n"
    "          <File Id=\"fil2\" Name=\"config.json\" Source=\"config.json\" KeyPath=\"yes\"/>\n"
    "        </Component>\n"
    "        <Directory Id=\"dir1\" Name=\"jre\">\n"
    "        <Directory Id=\"dir2\" Name=\"bin\">\n"
    "        <Directory Id=\"dir3\" Name=\"server\">\n"
    "        <Component Id=\"cmp3\" Guid=\"*\" Win64=\"yes\">\n"
    "          <File Id=\"fil3\" Name=\"jvm.dll\" Source=\"jre/bin/server/jvm.dll\" KeyPath=\"yes\"/>\n"
    "        </Component>\n"
    "        </Directory>\n"
    "        </Directory>\n"
    "        </Directory>\n"
    "        <Directory Id=\"dir4\" Name=\"lib\">\n"
    "        <Component Id=\"cmp4\" Guid=\"*\" Win64=\"yes\">\n"
    "          <File Id=\"fil4\" Name=\"a.jar\" Source=\"lib/a.jar\" KeyPath=\"yes\"/>\n"
    "        </Component>\n"
    "        </Directory>\n"
    "        <Component Id=\"DocumentTypes\" Guid=\"*\" Win64=\"yes\">\n"
    "          <RegistryValue Root=\"HKCU\" Key=\"Software\\Classes\\.tj\" Value=\"TomJerrys.tj\" Type=\"string\" KeyPath=\"yes\"/>\n"
    "          <RegistryValue Root=\"HKCU\" Key=\"Software\\Classes\\.tj\\OpenWithProgids\" Name=\"TomJerrys.tj\" Value=\"\" Type=\"string\"/>\n"
    "          <RegistryValue Root=\"HKCU\" Key=\"Software\\Classes\\TomJerrys.tj\" Value=\"Chase #1\" Type=\"string\"/>\n"
    "          <RegistryValue Root=\"HKCU\" Key=\"Software\\Classes\\TomJerrys.tj\\DefaultIcon\" Value=\"[#AppExe],0\" Type=\"string\"/>\n"
    "          <RegistryValue Root=\"HKCU\" Key=\"Software\\Classes\\TomJerrys.tj\\shell\\open\\command\" Value=\"&quot;[#AppExe]&quot; &quot;%1&quot;\" Type=\"string\"/>\n"
    "          <RegistryValue Root=\"HKCU\" Key=\"Software\\Classes\\.toon\" Value=\"TomJerrys.toon\" Type=\"string\"/>\n"
    "          <RegistryValue Root=\"HKCU\" Key=\"Software\\Classes\\.toon\\OpenWithProgids\" Name=\"TomJerrys.toon\" Value=\"\" Type=\"string\"/>\n"
    "          <RegistryValue Root=\"HKCU\" Key=\"Software\\Classes\\.toon\" Name=\"Content Type\" Value=\"application/vnd.acme.toon\" Type=\"string\"/>\n"
    "          <RegistryValue Root=\"HKCU\" Key=\"Software\\Classes\\TomJerrys.toon\" Value=\"Toon &quot;score&quot;\" Type=\"string\"/>\n"
    "          <RegistryValue Root=\"HKCU\" Key=\"Software\\Classes\\TomJerrys.toon\\DefaultIcon\" Value=\"[#AppExe],0\" Type=\"string\"/>\n"
    "          <RegistryValue Root=\"HKCU\" Key=\"Software\\Classes\\TomJerrys.toon\\shell\\open\\command\" Value=\"&quot;[#AppExe]&quot; &quot;%1&quot;\" Type=\"string\"/>\n"
    "          <RegistryValue Root=\"HKCU\" Key=\"Software\\Classes\\tom-jerry\" Value=\"URL:Tom &amp; Jerry&apos;s\" Type=\"string\"/>\n"
    "          <RegistryValue Root=\"HKCU\" Key=\"Software\\Classes\\tom-jerry\" Name=\"URL Protocol\" Value=\"\" Type=\"string\"/>\n"
    "          <RegistryValue Root=\"HKCU\" Key=\"Software\\Classes\\tom-jerry\\DefaultIcon\" Value=\"[#AppExe],0\" Type=\"string\"/>\n"
    "          <RegistryValue Root=\"HKCU\" Key=\"Software\\Classes\\tom-jerry\\shell\\open\\command\" Value=\"&quot;[#AppExe]&quot; &quot;%1&quot;\" Type=\"string\"/>\n"
    "        </Component>\n"
    "        <Component Id=\"InstallFolder\" Guid=\"*\" Win64=\"yes\">\n"
    "          <RemoveFolder Id=\"RemoveInstallFolder\" On=\"uninstall\"/>\n"
    "          <RegistryValue Root=\"HKCU\" Key=\"Software\\ACME &lt;Films&gt;\\Tom &amp; Jerry&apos;s\" Name=\"InstallFolder\" Type=\"integer\" Value=\"1\" KeyPath=\"yes\"/>\n"
    "        </Component>\n"
    "      </Directory>\n"
    "      </Directory>\n"
    "      </Directory>\n"
    "      <Directory Id=\"ProgramMenuFolder\">\n"
    "        <Component Id=\"StartMenuShortcut\" Guid=\"*\" Win64=\"yes\">\n"
    "          <Shortcut Id=\"StartMenuShortcut\" Name=\"Tom &amp; Jerry&apos;s\" Description=\"Chases [for] 100% fun\" Target=\"[#AppExe]\" WorkingDirectory=\"INSTALLDIR\"/>\n"
    "          <RegistryValue Root=\"HKCU\" Key=\"Software\\ACME &lt;Films&gt;\\Tom &amp; Jerry&apos;s\" Name=\"StartMenuShortcut\" Type=\"integer\" Value=\"1\" KeyPath=\"yes\"/>\n"
    "        </Component>\n"
    "      </Directory>\n"
    "    </Directory>\n"
    "    <Feature Id=\"Application\" Level=\"1\" Title=\"Tom &amp; Jerry&apos;s\">\n"
    "      <ComponentRef Id=\"AppExeComponent\"/>\n"
    "      <ComponentRef Id=\"cmp2\"/>\n"
    "      <ComponentRef Id=\"cmp3\"/>\n"
    "      <ComponentRef Id=\"cmp4\"/>\n"
    "      <ComponentRef Id=\"DocumentTypes\"/>\n"
    "      <ComponentRef Id=\"InstallFolder\"/>\n"
    "      <ComponentRef Id=\"StartMenuShortcut\"/>\n"
    "    </Feature>\n"
    "  </Product>\n"
    "</Wix>\n");
  EXPECT_EQ(shortcutPropertyTable(cartoon(PackTarget::Windows)),
    "MsiShortcutProperty\tShortcut_\tPropertyKey\tPropVariantValue\n"
    "s72\ts72\ts255\ts255\n"
    "MsiShortcutProperty\tMsiShortcutProperty\n"
    "StartMenuShortcutId\tStartMenuShortcut\t{9F4C2855-9F79-4B39-A8D0-E1D42DE1D5F3}, 5\tACMEFilms.TomJerrys\n");
}

TEST(InstallerFiles, DesktopEntryAndMimeTypes) {
  PackOptions options = cartoon(PackTarget::Linux);
  EXPECT_EQ(desktopEntryText(packageDesktopEntry(options, "tom-jerry-s", true)),
    "[Desktop Entry]\n"
    "Type=Application\n"
    "Name=Tom & Jerry's\n"
    "Comment=Chases [for] 100% fun\n"
    "Exec=/usr/bin/tom-jerry-s %U\n"
    "Icon=tom-jerry-s\n"
    "Terminal=false\n"
    "Categories=Utility;\n"
    "StartupWMClass=com-example-Cartoon\n"
    "MimeType=application/x-tom-jerry-s-tj;application/vnd.acme.toon;x-scheme-handler/tom-jerry;\n");
  EXPECT_EQ(mimeInfoXml(options.associations, "tom-jerry-s"),
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
    "  <mime-type type=\"application/x-tom-jerry-s-tj\">\n"
    "    <comment>Chase #1</comment>\n"
    "    <glob pattern=\"*.tj\"/>\n"
    "  </mime-type>\n"
    "  <mime-type type=\"application/vnd.acme.toon\">\n"
    "    <comment>Toon &quot;score&quot;</comment>\n"
    "    <glob pattern=\"*.toon\"/>\n"
    "  </mime-type>\n"
    "</mime-info>\n");
}

TEST(InstallerFiles, DebianControlAndRpmSpec) {
  PackOptions options = cartoon(PackTarget::Linux);
  EXPECT_EQ(debianControl(options, "libc6 (>= 2.34), zlib1g (>= 1:1.2.2)", 48335),
    "Package: tom-jerry-s\n"
    "Version: 2.5.1\n"
    "Architecture: amd64\n"
    "Maintainer: Tom <tom@example.com>\n"
    "Installed-Size: 48335\n"
    "Depends: libc6 (>= 2.34), zlib1g (>= 1:1.2.2)\n"
    "Section: misc\n"
    "Priority: optional\n"
    "Description: Chases [for] 100% fun\n"
    " Tom & Jerry's 2.5.1 by ACME <Films>, a Java application\n"
    " shipped with the Java runtime it runs on.\n");
  std::string spec = rpmSpec(options, {"libc.so.6", "libz.so.1"}, "/tmp/x y/tree",
                             {"usr/share/applications/tom-jerry-s.desktop"});
  EXPECT_EQ(spec.substr(0, spec.find("%post\n")),
    "Name: tom-jerry-s\n"
    "Version: 2.5.1\n"
    "Release: 1\n"
    "Summary: Chases [for] 100%% fun\n"
    "License: Unspecified\n"
    "BuildArch: x86_64\n"
    "Vendor: ACME <Films>\n"
    "Packager: Tom <tom@example.com>\n"
    "AutoReqProv: no\n"
    "Requires: libc.so.6()(64bit)\n"
    "Requires: libz.so.1()(64bit)\n"
    "\n"
    "%description\n"
    "Tom & Jerry's 2.5.1, a Java application shipped with the Java runtime it runs on.\n"
    "\n"
    "%install\n"
    "mkdir -p \"%{buildroot}\"\n"
    "cp -a '/tmp/x y/tree/.' \"%{buildroot}/\"\n"
    "\n"
    "%files\n"
    "/opt/tom-jerry-s\n"
    "/usr/bin/tom-jerry-s\n"
    "/usr/share/applications/tom-jerry-s.desktop\n"
    "\n");
  // The scriptlets keep their lines.
  EXPECT_NE(spec.find("(or that they are gone).\nset -e\n"), std::string::npos) << spec;
}

TEST(InstallerFiles, Quoting) {
  struct Case {
    std::string (*quote)(const std::string&);
    const char* text;
    const char* quoted;
  };
  const Case cases[] = {
      {xmlEscaped, "a<b>&\"c'\x01\td", "a&lt;b&gt;&amp;&quot;c&apos;\td"},
      {shellQuoted, "it's $HOME", "'it'\\''s $HOME'"},
      {desktopValue, "a\\b\nc\td", "a\\\\b\\nc\\td"},
      {desktopExecArgument, "/usr/bin/app", "/usr/bin/app"},
      {desktopExecArgument, "/opt/My App/run", "\"/opt/My App/run\""},
      {desktopExecArgument, "/opt/a$b`c\"d\\e%f", "\"/opt/a\\\\$b\\\\`c\\\\\"d\\\\\\\\e%%f\""},
      {specValue, "100% sure\nnext", "100%% sure next"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.quote(c.text), c.quoted) << c.text;
}

TEST(InstallerFiles, DerivedNames) {
  struct Case {
    const char* name;
    const char* vendor;
    const char* package;
    const char* appUserModelId;
  };
  const Case cases[] = {
      {"Hello App", "Acme \xc3\x9c" "ber", "hello-app", "Acme\xc3\x9c" "ber.HelloApp"},
      {"Tom & Jerry's", "", "tom-jerry-s", "TomJerrys"},
      {"--X11 Tool++", "A.B", "x11-tool++", "AB.--X11Tool"},
      {"\xd0\x9f", "", "", "\xd0\x9f"},
      {"!!", "", "", "App"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(packageName(c.name), c.package) << c.name;
    EXPECT_EQ(defaultAppUserModelId(c.vendor, c.name), c.appUserModelId) << c.name;
  }
}

TEST(InstallerFiles, FileAssociations) {
  struct Case {
    const char* text;
    bool ok;
    const char* extension;
    const char* description;
    const char* mimeType;
  };
  const Case cases[] = {
      {"txt:Text document", true, "txt", "Text document", ""},
      {".TXT:Text:text/plain", true, "txt", "Text", "text/plain"},
      {"log:Log: today:text/x-log", true, "log", "Log: today", "text/x-log"},
      {"log:Time: 10:30", true, "log", "Time: 10:30", ""},
      {"txt", false, "", "", ""},
      {":Text", false, "", "", ""},
      {"txt:", false, "", "", ""},
      {"t/x:Text", false, "", "", ""},
      {"txt:Line\nbreak", false, "", "", ""},
  };
  for (const Case& c : cases) {
    FileAssociation association;
    ASSERT_EQ(parseFileAssociation(c.text, &association), c.ok) << c.text;
    if (!c.ok) continue;
    EXPECT_EQ(association.extension, c.extension) << c.text;
    EXPECT_EQ(association.description, c.description) << c.text;
    EXPECT_EQ(association.mimeType, c.mimeType) << c.text;
  }
}

}  // namespace
