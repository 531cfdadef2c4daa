// Class path expansion: argument files, their tokens and path lists, and
// files that cannot be read.
#include "class_path.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>


#include "config_test_support.h"
#include "json.h"
#include "platform.h"

namespace {

using Strings = std::vector<std::string>;

/// `text` with every '@' replaced by the platform's path-list separator.
std::string withSeparator(std::string text) {
  for (char& c : text)
    if (c == '@') c = pathListSeparator;
  return text;
}

/// Expands a "classPath" array given as JSON text; stores what the launcher
/// would write to standard error.
Strings expand(const std::string& json, std::string* err = nullptr) {
  const JsonDocument document = parseJson(json);
  EXPECT_TRUE(document.ok()) << json;
  Diagnostics diagnostics;
  Strings result =
      expandClassPath(document.root(), ClassPathSource{"config.json", "", {}}, &diagnostics)
          .entries;
  testing::internal::CaptureStderr();
  printLauncherDiagnostics(diagnostics);
  const std::string captured = testing::internal::GetCapturedStderr();
  if (err)
    *err = captured;
  else
    EXPECT_EQ(captured, "");
  return result;
}

TEST_F(ConfigTest, ArgumentFileContents) {
  struct Case {
    const char* content;  // '@' stands for the path-list separator
    Strings entries;      // between a.jar and b.jar
    int emptyEntries = 0;  // skipped, each with a warning
  } cases[] = {
      {"-classpath x.jar@y.jar\n", {"x.jar", "y.jar"}},
      {"-classpath\r\nx.jar@y.jar\r\n", {"x.jar", "y.jar"}},
      {"\t\v\f-classpath\v\fx.jar\t", {"x.jar"}},
      {"x.jar@@y.jar", {}},  // no marker
      {"-classpath x.jar@@y.jar", {"x.jar", "y.jar"}, 1},
      {"-classpath @x.jar", {"x.jar"}, 1},
      {"-classpath x.jar@", {"x.jar"}},
      {"-classpath @", {}, 1},
      {"\xEF\xBB\xBF-classpath x.jar", {"x.jar"}},  // a byte order mark is skipped
      {"\xEF\xBB-classpath x.jar", {}},
      {"-verbose -cp a -classpath x.jar", {"x.jar"}},
      {"-classpath x.jar -classpath y.jar", {"x.jar"}},
      {"-classpath x.jar\n-classpath", {"x.jar"}},
      {"foo -classpath", {}},
      {"-classpathX x.jar", {"x.jar"}},
      {"--classpath x.jar", {}},
      {"-classpat x.jar", {}},
      {"-classpath lib/my libs/x.jar", {"lib/my"}},
      {"-classpath \xC3\xA9\xFF.jar", {"\xC3\xA9\xFF.jar"}},
      {"", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.content);
    write("deps.txt", withSeparator(c.content));
    Strings expected{"a.jar"};
    for (const std::string& entry : c.entries) expected.push_back(withSeparator(entry));
    expected.push_back("b.jar");
    std::string err, warnings;
    for (int i = 0; i < c.emptyEntries; ++i)
      warnings += "Warning: ignoring an entry of class path argument file deps.txt: it is "
                  "empty\n";
    EXPECT_EQ(expand(R"(["a.jar", "deps.txt", "b.jar"])", &err), expected);
    EXPECT_EQ(err, warnings);
  }
}

TEST_F(ConfigTest, OnlyEntriesEndingInTxtAreArgumentFiles) {
  write(".txt", "-classpath dot.jar");
  write("lib/deps.txt", "-classpath x.jar");
  std::string err;
  EXPECT_EQ(expand(R"(["deps.TXT", "txt", "a.txt.jar", ".txt", "", "lib/deps.txt",
                       "lib/deps.txt"])",
                   &err),
            (Strings{"deps.TXT", "txt", "a.txt.jar", "dot.jar", "x.jar", "x.jar"}));
  EXPECT_EQ(err, "Warning: ignoring element 5 of 'classPath' in config.json: it is empty\n");
  EXPECT_EQ(expand("[]"), Strings{});
}

// "DIR/*" gives the jars of DIR as the java command takes them (".jar" and
// ".JAR", no subfolders), sorted by name; nothing else holding '*' does.
TEST_F(ConfigTest, FolderWildcardsGiveTheJarsOfTheFolder) {
  for (const char* file : {"lib/b.jar", "lib/A.jar", "lib/c.JAR", "lib/d.Jar", "lib/e.txt",
                           "lib/.hidden.jar", "lib/sub/f.jar", "top.jar"})
    write(file, "");
  write("deps.txt", "-classpath lib/*");
  write(std::string("lib/x") + pathListSeparator + "y.jar", "");
  const std::string skipped = std::string("Warning: ignoring lib/x") + pathListSeparator +
                              "y.jar of class path entry lib/*: its name holds '" +
                              pathListSeparator + "', which separates class path entries\n";
  const Strings libJars{"lib/.hidden.jar", "lib/A.jar", "lib/b.jar", "lib/c.JAR"};
  struct Case {
    const char* classPath;
    Strings entries;
    std::string err;
  } cases[] = {
      {R"(["lib/*"])", libJars, skipped},
      {R"(["deps.txt"])", libJars, skipped},
      {R"(["*", "lib/sub/*"])", {"top.jar", "lib/sub/f.jar"}, ""},
      {R"(["missing/*", "lib/*.jar", "lib*"])", {"lib/*.jar", "lib*"}, ""},
  };
  for (const Case& c : cases) {
    std::string err;
    EXPECT_EQ(expand(c.classPath, &err), c.entries) << c.classPath;
    EXPECT_EQ(err, c.err) << c.classPath;
  }
}

TEST_F(ConfigTest, ReadsAVeryLongListToken) {
  std::string list;
  Strings expected;
  for (int i = 0; i < 50000; ++i) {
    expected.push_back("lib/library-" + std::to_string(i) + ".jar");
    list += expected.back() + pathListSeparator;
  }
  write("deps.txt", std::string(100000, ' ') + "-classpath " + list);
  EXPECT_EQ(expand(R"(["deps.txt"])"), expected);
}

TEST_F(ConfigTest, UnreadableArgumentFilesAreReportedAndSkipped) {
  write("good.txt", "-classpath x.jar");
  std::filesystem::create_directory("dir.txt");
  std::string err;
  EXPECT_EQ(expand(R"(["a.jar", "missing.txt", "good.txt", "dir.txt", "b.jar"])", &err),
            (Strings{"a.jar", "x.jar", "b.jar"}));
  EXPECT_EQ(
      err,
      "Warning: failed to read class path argument file missing.txt: No such file or "
      "directory\n"
      "Warning: failed to read class path argument file dir.txt: Is a directory\n");
}

TEST_F(ConfigTest, ArgumentFileWithoutReadPermission) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads every file";
  write("secret.txt", "-classpath x.jar");
  chmod("secret.txt", 0);
  std::string err;
  EXPECT_EQ(expand(R"(["secret.txt", "a.jar"])", &err), Strings{"a.jar"});
  EXPECT_EQ(err,
            "Warning: failed to read class path argument file secret.txt: Permission "
            "denied\n");
}

// Only regular files are read: a FIFO is refused even while it holds text.
TEST_F(ConfigTest, ArgumentFileFromAPipeIsRefusedEvenWithAWriter) {
  ASSERT_EQ(mkfifo("pipe.txt", 0600), 0);
  const int writer = open("pipe.txt", O_RDWR);  // Linux opens it without waiting
  ASSERT_GE(writer, 0);
  const std::string text = "-verbose\n-classpath x.jar";
  ASSERT_EQ(::write(writer, text.data(), text.size()), static_cast<ssize_t>(text.size()));
  std::string err;
  EXPECT_EQ(expand(R"(["pipe.txt", "a.jar"])", &err), Strings{"a.jar"});
  EXPECT_EQ(err,
            "Warning: failed to read class path argument file pipe.txt: Is a FIFO or "
            "socket, not a file\n");
  close(writer);
}

}  // namespace
