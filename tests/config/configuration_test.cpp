// The configuration loader: environment, VM options, main class, class path
// and every way it ends the process.
#include "configuration.h"

#include <stdlib.h>

#include "config_test_support.h"
#include "platform.h"

namespace {

using Strings = std::vector<std::string>;

struct ExitCalled {};

/// Loads the configuration, with exitProcess throwing ExitCalled; stores
/// what was written to standard output and standard error.
void loadCapturing(std::string& out, std::string& err) {
  setExitHook([](int status) {
    EXPECT_EQ(status, 1);
    throw ExitCalled();
  });
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  try {
    loadConfiguration();
  } catch (const ExitCalled&) {
  }
  out = testing::internal::GetCapturedStdout();
  err = testing::internal::GetCapturedStderr();
  setExitHook(nullptr);
}

TEST_F(ConfigTest, SetsEnvInStoredOrderPrintingEachLineFirst) {
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
    launchSettings.verbose = true;
    std::string out, err;
    loadCapturing(out, err);
    EXPECT_EQ(out, c.out);
    EXPECT_EQ(err, "");
  }
  EXPECT_STREQ(getenv("VT_B"), "two words");
  ASSERT_NE(getenv("VT_E"), nullptr);  // an empty value, not an unset variable
  EXPECT_STREQ(getenv("VT_E"), "");
}

TEST_F(ConfigTest, VmArgsOnlyWhenCommandLineGaveNone) {
  struct Case {
    const char* vmArgs;  // the "vmArgs" member
    Strings before;      // from the command line
    Strings after;
  } cases[] = {
      {R"(["-Xmx512m", "", "-Dx=y"])", {}, {"-Xmx512m", "", "-Dx=y"}},
      {R"(["-Xmx512m"])", {"-Xss1m"}, {"-Xss1m"}},  // never merged
      {R"("-Xmx512m")", {}, {}},                    // not an array: skipped
  };
  for (const Case& c : cases) {
    write("config.json",
          std::string(R"({"mainClass": "M", "classPath": [], "vmArgs": )") + c.vmArgs +
              "}");
    launchSettings.vmArgs = c.before;
    std::string out, err;
    loadCapturing(out, err);
    EXPECT_EQ(launchSettings.vmArgs, c.after) << c.vmArgs;
    EXPECT_EQ(err, "");
  }
}

TEST_F(ConfigTest, AcceptsEmptyMainClassAndReplacesClassPath) {
  write("config.json", R"({"mainClass": "", "classPath": [], "extra": 1})");
  launchSettings.mainClass = "old.Main";
  launchSettings.classPath = {"old.jar"};
  std::string out, err;
  loadCapturing(out, err);
  EXPECT_EQ(launchSettings.mainClass, "");
  EXPECT_EQ(launchSettings.classPath, Strings{});
  EXPECT_EQ(out + err, "");
}

TEST_F(ConfigTest, SkipsValuesThatAreNotStringsWithAWarning) {
  write("my.json", R"({"env": {"VT_N": 1, "VT_OK": "x"}, "vmArgs": [true, "-Xa"],
                      "mainClass": "M", "classPath": [null, "a.jar", {}, [], 2.5]})");
  launchSettings.configPath = "my.json";
  unsetenv("VT_N");
  std::string out, err;
  loadCapturing(out, err);
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
                expected + "a number\n");
  EXPECT_EQ(getenv("VT_N"), nullptr);
  EXPECT_STREQ(getenv("VT_OK"), "x");
  EXPECT_EQ(launchSettings.vmArgs, Strings{"-Xa"});
  EXPECT_EQ(launchSettings.classPath, Strings{"a.jar"});
}

TEST_F(ConfigTest, NothingPrintedBeforeAMissingMainClass) {
  write("config.json", R"({"vmArgs": ["-Xa"], "classPath": []})");
  launchSettings.verbose = true;
  std::string out, err;
  loadCapturing(out, err);
  EXPECT_EQ(out, "");
  EXPECT_EQ(err, "Error: no 'mainClass' element found in config!\n");
}

TEST_F(ConfigTest, EndsTheProcessForAnUnusableConfiguration) {
  const char* const loadFailed = "^Error: failed to load configuration: config\\.json\n$";
  const char* const noMainClass = "^Error: no 'mainClass' element found in config!\n$";
  const char* const noClassPath = "^Error: no 'classPath' array found in config!\n$";
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
    EXPECT_EXIT(loadConfiguration(), testing::ExitedWithCode(1), c.message);
  }
  launchSettings.configPath = "no such dir/My Config.json";
  EXPECT_EXIT(loadConfiguration(), testing::ExitedWithCode(1),
              "^Error: failed to load configuration: no such dir/My Config\\.json\n$");
}

}  // namespace
