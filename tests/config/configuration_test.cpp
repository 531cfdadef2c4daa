// The configuration loader: environment, VM options, main class, class path
// and every way it ends the launch.
#include "configuration.h"

#include <stdlib.h>

#include "config_test_support.h"
#include "platform.h"

namespace {

using Strings = std::vector<std::string>;

class LoadTest : public ConfigTest {
 protected:
  /// Loads the configuration; stores what was written to standard output
  /// and standard error. A launch that ends, ends with status 1.
  LaunchSettings loadCapturing(std::string& out, std::string& err) {
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const StepResult<LaunchSettings> result = load();
    out = testing::internal::GetCapturedStdout();
    err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(result.exitStatus.value_or(1), 1);
    return result.value;
  }
};

TEST_F(LoadTest, SetsEnvInStoredOrderPrintingEachLineFirst) {
  struct Case {
    const char* env;
    const char* out;
  } cases[] = {
      {R"({"VT_AA": "1", "VT_B": "two words", "VT_E": ""})",
       "Setting up env...\n  VT_B=two words\n  VT_E=\n  VT_AA=1\n"},
      {"{}", "Setting up env...\n"},
      {"[]", ""},
  };
  for (const Case& c : cases) {
    write("config.json",
          std::string(R"({"mainClass": "M", "classPath": [], "env": )") + c.env + "}");
    settings.verbose = true;
    std::string out, err;
    loadCapturing(out, err);
    EXPECT_EQ(out, c.out);
    EXPECT_EQ(err, "");
  }
  EXPECT_STREQ(getenv("VT_B"), "two words");
  ASSERT_NE(getenv("VT_E"), nullptr);  // an empty value, not an unset variable
  EXPECT_STREQ(getenv("VT_E"), "");
}

TEST_F(LoadTest, VmArgsOnlyWhenCommandLineGaveNoneAndTheUserFileBetween) {
  using namespace std::string_literals;
  struct Case {
    const char* vmArgs;    // the "vmArgs" member
    Strings before;        // from the command line
    std::string userFile;  // "-": no file
    Strings after;
    std::string err;  // @FILE@ stands for the user file's path
  } cases[] = {
      {R"(["-Xmx512m", "", "-Dx=y"])", {}, "-", {"-Xmx512m", "", "-Dx=y"}, ""},
      {R"(["-Xmx512m"])", {"-Xss1m"}, "-", {"-Xss1m"}, ""},  // never merged
      {R"("-Xmx512m")", {}, "-", {}, ""},                    // not an array: skipped
      // The user's options come after the app's and before the command line's.
      {R"(["-Xmx512m"])", {}, "-Xmx2g\n", {"-Xmx512m", "-Xmx2g"}, ""},
      {R"(["-Xmx512m"])", {"-Xss1m"}, "-Xmx2g", {"-Xmx2g", "-Xss1m"}, ""},
      {"[]", {},
       "\xEF\xBB\xBF# heap\r\n\r\n  -Xmx2g \t\r\n\n#-Xmx1g\n\t-Dsp=a b\r\n-Dlast",
       {"-Xmx2g", "-Dsp=a b", "-Dlast"}, ""},
      {"[]", {}, "-Da\0b\n\n-Dc\n"s, {"-Dc"},
       "Warning: ignoring line 1 of VM options file @FILE@: it holds a NUL byte\n"},
      {"[]", {"-Dj"}, "\xFF\xFE-\0X\0"s, {"-Dj"},
       "Warning: ignoring VM options file @FILE@: it looks like UTF-16; save it as "
       "UTF-8\n"},
      {"[]", {}, "", {}, ""},
  };
  const std::string configDirectory = (directory_ / "config home").string();
  const std::string userFile = configDirectory + "/My App/My App.vmoptions";
  setenv("XDG_CONFIG_HOME", configDirectory.c_str(), 1);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.userFile);
    write("config.json",
          std::string(R"({"mainClass": "M", "classPath": [], "vmArgs": )") + c.vmArgs +
              "}");
    std::filesystem::remove(userFile);
    if (c.userFile != "-") write(userFile, c.userFile);
    settings.vmArgs = c.before;
    settings.appName = "My App";
    std::string out, err;
    EXPECT_EQ(loadCapturing(out, err).vmArgs, c.after) << c.vmArgs;
    std::string expected = c.err;
    if (expected.find("@FILE@") != std::string::npos)
      expected.replace(expected.find("@FILE@"), 6, userFile);
    EXPECT_EQ(err, expected);
  }
  // A file that cannot be read is reported and the launch goes on; -v names
  // the file that was used.
  std::filesystem::remove(userFile);
  std::filesystem::create_directory(userFile);
  std::string out, err;
  loadCapturing(out, err);
  EXPECT_EQ(err, "Warning: failed to read VM options file " + userFile + ": Is a directory\n");
  std::filesystem::remove(userFile);
  write(userFile, "-Xmx2g");
  settings.verbose = true;
  loadCapturing(out, err);
  EXPECT_EQ(out, "Using VM options file " + userFile + " ...\n");
  unsetenv("XDG_CONFIG_HOME");
}

TEST_F(ConfigTest, MacrosExpandWhereTheyBelongAndNowhereElse) {
  write("config.json", R"({
    "env": {"A_PATH": "$APPDIR/bin:${PATH_X}", "B_KEEP": "${UNSET_X}|$APPDIR$|${}|${LIB"},
    "vmArgs": ["-Dhome=$APPDIR", "-Dlib=${LIB}", "-Dinner=${QUOTED}", "-Dx=a$b",
               "-Dn=${UNSET_X}", "-Dtwice=${LIB}${LIB}", "-Dpart=$APPDIRX"],
    "mainClass": "app.Outer$Inner${LIB}",
    "classPath": ["$APPDIR/a.jar", "${LIB}/b.jar", "$APPDIR/deps.txt", "${EMPTY_X}"],
    "args": ["--data=$APPDIR/data", "${LIB}", "${UNSET_X}"]
  })");
  write("app/deps.txt", std::string("-classpath ${LIB}/x.jar") + pathListSeparator +
                            "$APPDIR/y.jar");
  ConfigurationInputs inputs;
  inputs.appDirectory = (directory_ / "app").string();
  inputs.environment = [](const std::string& name, std::string* value) {
    if (name == "LIB") *value = "/opt/lib";
    else if (name == "PATH_X") *value = "/usr/bin";
    else if (name == "QUOTED") *value = "${LIB}";  // not expanded again
    else if (name == "EMPTY_X") *value = "";
    else return false;
    return true;
  };
  const Configuration result = readConfiguration(inputs);
  const std::string app = inputs.appDirectory;
  EXPECT_EQ(result.environment,
            (std::vector<std::pair<std::string, std::string>>{
                {"A_PATH", app + "/bin:/usr/bin"},
                {"B_KEEP", "${UNSET_X}|" + app + "$|${}|${LIB"}}));
  EXPECT_EQ(result.vmArgs,
            (Strings{"-Dhome=" + app, "-Dlib=/opt/lib", "-Dinner=${LIB}", "-Dx=a$b",
                     "-Dn=${UNSET_X}", "-Dtwice=/opt/lib/opt/lib", "-Dpart=" + app + "X"}));
  EXPECT_EQ(result.mainClass, "app.Outer$Inner${LIB}");
  EXPECT_EQ(result.args, (Strings{"--data=" + app + "/data", "/opt/lib", "${UNSET_X}"}));
  EXPECT_EQ(result.classPath.entries,
            (Strings{app + "/a.jar", "/opt/lib/b.jar", "/opt/lib/x.jar", app + "/y.jar"}));
  ASSERT_EQ(result.diagnostics.size(), 1u);  // the entry that expanded to nothing
  EXPECT_EQ(result.diagnostics[0].message,
            "ignoring element 4 of 'classPath' in config.json: it is empty");
  // Without the launcher's folder, $APPDIR stays as written.
  inputs.appDirectory.clear();
  EXPECT_EQ(readConfiguration(inputs).vmArgs[0], "-Dhome=$APPDIR");
}

TEST_F(LoadTest, AcceptsEmptyMainClassAndReplacesClassPath) {
  write("config.json", R"({"mainClass": "", "classPath": [], "extra": 1})");
  settings.mainClass = "old.Main";
  settings.classPath = {"old.jar"};
  std::string out, err;
  const LaunchSettings loaded = loadCapturing(out, err);
  EXPECT_EQ(loaded.mainClass, "");
  EXPECT_EQ(loaded.classPath, Strings{});
  EXPECT_EQ(out + err, "");
}

TEST_F(LoadTest, SkipsValuesThatAreNotStringsWithAWarning) {
  write("my.json", R"({"env": {"VT_N": 1, "VT_OK": "x"}, "vmArgs": [true, "-Xa"],
                      "mainClass": "M", "classPath": [null, "a.jar", {}, [], 2.5],
                      "args": [false, "--x"]})");
  settings.configPath = "my.json";
  settings.javaArgs = {"from the command line"};
  unsetenv("VT_N");
  std::string out, err;
  const LaunchSettings loaded = loadCapturing(out, err);
  const std::string expected = "expected a string, found ";
  EXPECT_EQ(err,
            "Warning: ignoring member 'VT_N' of 'env' in my.json: " + expected +
                "a number\n" + "Warning: ignoring element 1 of 'vmArgs' in my.json: " +
                expected + "a boolean\n" +
                "Warning: ignoring element 1 of 'classPath' in my.json: " + expected +
                "null\n" + "Warning: ignoring element 3 of 'classPath' in my.json: " +
                expected + "an object\n" +
                "Warning: ignoring element 4 of 'classPath' in my.json: " + expected +
                "an array\n" + "Warning: ignoring element 5 of 'classPath' in my.json: " +
                expected + "a number\n" + "Warning: ignoring element 1 of 'args' in my.json: " +
                expected + "a boolean\n");
  EXPECT_EQ(getenv("VT_N"), nullptr);
  EXPECT_STREQ(getenv("VT_OK"), "x");
  EXPECT_EQ(loaded.vmArgs, Strings{"-Xa"});
  EXPECT_EQ(loaded.classPath, Strings{"a.jar"});
  // The configuration's arguments come before the command line's.
  EXPECT_EQ(loaded.javaArgs, (Strings{"--x", "from the command line"}));
}

// A launcher reads its own NAME.json instead of config.json when there is
// one; --config names the file whatever there is.
TEST_F(LoadTest, EachLauncherMayHaveItsOwnConfiguration) {
  struct Case {
    const char* appName;
    const char* ownFile;  // written as NAME.json: "file", "folder" or "none"
    const char* given;    // --config, or nullptr
    const char* used;     // the main class of the file read
    const char* out;      // with -v
  } cases[] = {
      {"tool", "file", nullptr, "Tool", "Using configuration file tool.json ...\n"},
      {"tool", "none", nullptr, "Default", ""},
      {"tool", "folder", nullptr, "Default", ""},
      {"tool", "file", "config.json", "Default", ""},
      {"tool", "file", "other.json", "Other", ""},
      {"config", "file", nullptr, "Default", ""},
      {"", "none", nullptr, "Default", ""},
  };
  write("config.json", R"({"mainClass": "Default", "classPath": []})");
  write("other.json", R"({"mainClass": "Other", "classPath": []})");
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.appName) + " " + c.ownFile);
    std::filesystem::remove_all("tool.json");
    if (std::string(c.ownFile) == "file")
      write("tool.json", R"({"mainClass": "Tool", "classPath": []})");
    else if (std::string(c.ownFile) == "folder")
      std::filesystem::create_directory("tool.json");
    settings = LaunchSettings();
    settings.appName = c.appName;
    settings.verbose = true;
    settings.configPath = c.given ? c.given : "config.json";
    settings.configFromCommandLine = c.given != nullptr;
    std::string out, err;
    EXPECT_EQ(loadCapturing(out, err).mainClass, c.used);
    EXPECT_EQ(out, c.out);
    EXPECT_EQ(err, "");
  }
}

TEST_F(LoadTest, NothingPrintedBeforeAMissingMainClass) {
  write("config.json", R"({"vmArgs": ["-Xa"], "classPath": []})");
  settings.verbose = true;
  std::string out, err;
  loadCapturing(out, err);
  EXPECT_EQ(out, "");
  EXPECT_EQ(err, "Error: no 'mainClass' element found in config!\n");
}

TEST_F(LoadTest, EndsTheLaunchForAnUnusableConfiguration) {
  const char* const loadFailed = "Error: failed to load configuration: config.json\n";
  const char* const noMainClass = "Error: no 'mainClass' element found in config!\n";
  const char* const noClassPath = "Error: no 'classPath' array found in config!\n";
  struct Case {
    const char* content;  // nullptr: no file
    const char* message;
  } cases[] = {
      {nullptr, loadFailed},
      {"", loadFailed},
      {"{\"mainClass\": \"M\",", loadFailed},
      {"\xEF\xBB\xBF{\"mainClass\": \"M\", \"classPath\": []}", loadFailed},
      {"{}", noMainClass},
      {R"([{"mainClass": "M", "classPath": []}])", noMainClass},
      {R"({"mainClass": 1, "classPath": []})", noMainClass},
      {R"({"MainClass": "M", "classPath": []})", noMainClass},
      {R"({"mainClass": "M"})", noClassPath},
      {R"({"mainClass": "M", "classPath": "a.jar"})", noClassPath},
      {R"({"mainClass": "M", "classpath": []})", noClassPath},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.content ? c.content : "(no file)");
    std::filesystem::remove("config.json");
    if (c.content) write("config.json", c.content);
    testing::internal::CaptureStderr();
    EXPECT_EQ(std::optional<int>(1), load().exitStatus);
    EXPECT_EQ(c.message, testing::internal::GetCapturedStderr());
  }
  settings.configPath = "no such dir/My Config.json";
  testing::internal::CaptureStderr();
  EXPECT_EQ(std::optional<int>(1), load().exitStatus);
  EXPECT_EQ("Error: failed to load configuration: no such dir/My Config.json\n",
            testing::internal::GetCapturedStderr());
}

}  // namespace
