// vantrel-check --config on inputs that the golden cases of the CTest suite
// cannot carry portably: byte order marks, NUL bytes, directories.
#include "check.h"

#include <stdlib.h>
#include <sys/stat.h>

#include "config_test_support.h"
#include "json.h"
#include "platform.h"
#include "runtime_layout.h"

namespace {

using namespace std::string_literals;

/// Runs the checker on `path`; returns its output followed by "status N".
std::string check(const std::string& path) {
  testing::internal::CaptureStdout();
  const int status = checkConfigurationFile(path);
  return testing::internal::GetCapturedStdout() + "status " + std::to_string(status);
}

class CheckTest : public ConfigTest {
 protected:
  void SetUp() override {
    ConfigTest::SetUp();
    // The user's own VM options file must not reach the checker.
    setenv("XDG_CONFIG_HOME", (directory_ / "home").c_str(), 1);
    write(inRuntime(runtimeFolderName, runtimeLibraryIn(hostOs)), "");
    write("app.jar", "");
  }

  void TearDown() override {
    unsetenv("XDG_CONFIG_HOME");
    ConfigTest::TearDown();
  }
};

TEST_F(CheckTest, Outputs) {
  struct Case {
    std::string config;  // may hold NUL bytes
    const char* output;
  } cases[] = {
      {R"({"mainClass": "a.Main", "classPath": ["app.jar"]})",
       "config.json: ok\nstatus 0"},
      {"\xEF\xBB\xBF{\"mainClass\": \"M\", \"classPath\": []}",
       "config.json:1:1: error: document root must be object or array (the file starts "
       "with a UTF-8 byte order mark, which the launcher does not accept: save it "
       "without "
       "one)\nconfig.json: 1 error, 0 warnings\nstatus 1"},
      {"{\"mainClass\": \"M\",\r\n \"classPath\": [\"app.jar\"]}\r\n\r\n\0{garbage"s,
       "config.json:4:1: warning: NUL byte: the launcher ignores everything from here "
       "on\n"
       "config.json: 0 errors, 1 warning\nstatus 0"},
      {"{\"mainClass\": \"M\",\r\n \"classPath\": [\"app.jar\"]\0}"s,
       "config.json:2:26: warning: NUL byte: the launcher ignores everything from here "
       "on\n"
       "config.json:2:26: error: expected ,\nconfig.json: 1 error, 1 warning\nstatus 1"},
      {R"({"mainClass": "M", "classPath": ["dir.txt", "app.jar"]})",
       "config.json: warning: class path argument file \"dir.txt\" cannot be read (Is a "
       "directory); the launcher skips it\nconfig.json: 0 errors, 1 warning\nstatus 0"},
      {R"({"env": {"": "x", "A=B": "y", "C": "\u0000"}, "mainClass": "M.class",
           "classPath": ["app.jar"]})",
       "config.json: warning: member '' of 'env': a variable name must not be empty or "
       "hold '='; the launcher cannot set it\n"
       "config.json: warning: member 'C' of 'env' holds a NUL byte; the launcher skips "
       "it\n"
       "config.json: warning: member 'A=B' of 'env': a variable name must not be empty "
       "or hold '='; the launcher cannot set it\n"
       "config.json: error: 'mainClass' \"M.class\" names a file: expected the class "
       "name without extension\nconfig.json: 1 error, 3 warnings\nstatus 1"},
      // Every text with a NUL byte is one the launcher skips, or for the main
      // class, one it refuses: the checker must say so, not that it is cut.
      {R"({"env": {"N\u0000": "x"}, "vmArgs": ["-Da\u0000b"], "mainClass": "a\u0000b",
           "classPath": ["app\u0000.jar", "nul.txt"]})",
       "config.json: warning: member 'N\\u0000' of 'env' holds a NUL byte; the launcher "
       "skips it\n"
       "config.json: warning: element 1 of 'vmArgs' holds a NUL byte; the launcher "
       "skips it\n"
       "config.json: error: 'mainClass' \"a\\u0000b\" holds a NUL byte: the launcher "
       "cannot look up such a class\n"
       "config.json: warning: element 1 of 'classPath' holds a NUL byte; the launcher "
       "skips it\n"
       "config.json: warning: class path entry \"a\\u0000.jar\" (from \"nul.txt\") holds "
       "a NUL byte; the launcher skips it\n"
       "config.json: 1 error, 4 warnings\nstatus 1"},
      // Byte order marks and UTF-16: what the launcher makes of them.
      {"\xFF\xFE{\0}\0"s,
       "config.json:1:4: warning: NUL byte: the launcher ignores everything from here on\n"
       "config.json:1:1: error: document root must be object or array (the file looks like "
       "UTF-16: save it as UTF-8)\nconfig.json: 1 error, 1 warning\nstatus 1"},
      {R"({"mainClass": "M", "classPath": ["", "bom.txt", "utf16.txt", "$APPDIR/app.jar"]})",
       "config.json: warning: element 1 of 'classPath' is empty: Java would take it for "
       "the working directory; the launcher skips it\n"
       "config.json: warning: class path argument file \"utf16.txt\" has no \"-classpath\" "
       "token: expected \"-classpath\" followed by a list of entries; it adds nothing (it "
       "looks like UTF-16: save it as UTF-8)\n"
       "config.json: 0 errors, 2 warnings\nstatus 0"},
      // "MODULE/CLASS" names a class of a named module; "app/Main" is the
      // slash form of app.Main, as ever.
      {R"({"mainClass": "mod/pk.Main", "classPath": ["app.jar"]})",
       "config.json: warning: 'mainClass' \"mod/pk.Main\" names a class of module 'mod', but "
       "no VM option gives the module path (--module-path=DIR): the Java VM will not find "
       "the module\nconfig.json: 0 errors, 1 warning\nstatus 0"},
      {R"({"mainClass": "app/Main", "classPath": ["app.jar"], "vmArgs": []})",
       "config.json: ok\nstatus 0"},
      // Entries the Java VM cannot use as they are: it waits on a FIFO, splits
      // a name at ':', and the launcher reads "${" as a macro.
      {R"({"mainClass": "M", "classPath": ["pipe.jar", "odd:name.jar", "lib/*", "none/*",
           "${VT_UNSET_CHECK}.jar", "${VT_SET_CHECK}.jar"]})",
       "config.json: warning: jar \"lib/y:z.jar\" of class path entry \"lib/*\" holds ':', "
       "which separates class path entries: the Java VM would take it for two; the launcher "
       "skips it; rename the file\n"
       "config.json: warning: class path entry \"none/*\" names a folder that does not exist; "
       "it adds nothing\n"
       "config.json: error: element 6 of 'classPath' names \"${VT_SET_CHECK}.jar\", whose "
       "name holds \"${\": the launcher reads it as a macro and uses \"set.jar\"; rename the "
       "file\n"
       "config.json: error: class path entry \"pipe.jar\" is neither a file nor a folder (a "
       "FIFO, socket or device): the Java VM would wait on it or fail to read it\n"
       "config.json: error: class path entry \"odd:name.jar\" holds ':', which separates "
       "class path entries: the Java VM would take it for two; rename the file\n"
       "config.json: warning: class path entry \"${VT_UNSET_CHECK}.jar\" holds \"${\", which "
       "the launcher reads as a macro where a configuration names the file; rename the file\n"
       "config.json: warning: class path entry \"set.jar\" does not exist\n"
       "config.json: 3 errors, 4 warnings\nstatus 1"},
  };
  ASSERT_EQ(mkfifo("pipe.jar", 0600), 0);
  for (const char* file : {"odd:name.jar", "lib/x.jar", "lib/y:z.jar", "${VT_UNSET_CHECK}.jar",
                           "${VT_SET_CHECK}.jar"})
    write(file, "");
  setenv("VT_SET_CHECK", "set", 1);
  std::filesystem::create_directory("dir.txt");
  write("nul.txt", "-classpath a\0.jar"s + pathListSeparator + "app.jar");
  write("bom.txt", "\xEF\xBB\xBF-classpath app.jar");
  write("utf16.txt", "\xFF\xFE-\0c\0p\0 \0a\0"s);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.config);
    write("config.json", c.config);
    EXPECT_EQ(check("config.json"), c.output);
  }
}

TEST_F(CheckTest, VerboseShowsWhatTheLauncherWouldUse) {
  setenv("VT_CHECK", "from the environment", 1);
  write("home/vantrel/vantrel.vmoptions", "# more heap\n-Xmx2g\n");
  write("deps.txt", "-classpath $APPDIR/app.jar");
  write("config.json", R"({"mainClass": "M", "classPath": ["app.jar", "deps.txt"],
      "vmArgs": ["-Dv=${VT_CHECK}"], "env": {"A": "$APPDIR", "B": ""},
      "singleInstance": "app.App.onLaunch", "restartExitCode": 3})");
  CheckOptions options;
  options.verbose = true;
  testing::internal::CaptureStdout();
  EXPECT_EQ(checkConfiguration(options), 0);
  const std::string app = directory_.string();
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "config.json: note: the VM options are not checked against Java runtime library "
            "\"jre/lib/server/libjvm.so\": it is not an ELF or PE library with a read-only "
            "data section\n"
            "VM options file: " + app + "/home/vantrel/vantrel.vmoptions\n"
            "VM options:\n  -Dv=from the environment\n  -Xmx2g\n"
            "Class path:\n  app.jar\n  " + app + "/app.jar\n"
            "Arguments before the command line's: none\n"
            "Environment changes:\n  A=" + app + "\n  B=\n"
            "One instance per user: yes; later launches go to app.App.onLaunch\n"
            "Restart on exit status: 3\nAppUserModelID (Windows): none\n"
            "config.json: ok\n");
}

TEST_F(CheckTest, DumpOfADeepDocumentGrowsLinearly) {
  const size_t depth = 100000;
  write("deep.json", std::string(depth, '[') + std::string(depth, ']'));
  testing::internal::CaptureStdout();
  EXPECT_EQ(dumpJsonFile("deep.json"), 0);
  const std::string dump = testing::internal::GetCapturedStdout();
  EXPECT_LT(dump.size(), 4 * depth);  // indenting every level would take 10^10 bytes
  EXPECT_TRUE(parseJson(dump).ok());
}

// Refused at once, as the launcher refuses them: a FIFO is not waited for.
TEST_F(CheckTest, ConfigurationsThatAreNoRegularFiles) {
  std::filesystem::create_directory("conf");
  ASSERT_EQ(mkfifo("fifo", 0600), 0);
  EXPECT_EQ(check("conf"),
            "conf: error: cannot open file: Is a directory\nconf: 1 error, 0 "
            "warnings\nstatus 1");
  EXPECT_EQ(check("fifo"),
            "fifo: error: cannot open file: Is a FIFO or socket, not a file\nfifo: 1 "
            "error, 0 warnings\nstatus 1");
}

}  // namespace
