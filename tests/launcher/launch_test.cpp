// The launch sequence with a runner that records instead of running the VM.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "launcher.h"
#include "platform.h"
#include "vm_option_names.h"
#include "vm_task.h"

namespace {

class LaunchTest : public testing::Test {
 protected:
  void SetUp() override {
    char buffer[4096];
    ASSERT_NE(nullptr, getcwd(buffer, sizeof buffer));
    startDirectory = buffer;
    char pattern[] = "/tmp/vantrel-launch-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(pattern));
    appDirectory = pattern;
    settings.workingDirectory = appDirectory;
  }

  void TearDown() override {
    ASSERT_EQ(0, chdir(startDirectory.c_str()));
    std::system(("rm -rf " + appDirectory).c_str());
  }

  void writeConfig(const std::string& json) {
    std::ofstream(appDirectory + "/config.json") << json;
  }

  void installRuntime() {
    std::string server = appDirectory + "/jre/lib/server";
    ASSERT_EQ(0, std::system(("mkdir -p " + server).c_str()));
    ASSERT_EQ(0, symlink(VANTREL_TEST_LIBJVM, (server + "/libjvm.so").c_str()));
  }

  /// Launches with a runner that keeps the option strings and skips the
  /// task; returns the exit status.
  int launchRecording() {
    return launch(settings, [this](VmTask task, const JavaVMInitArgs& args) {
      EXPECT_TRUE(static_cast<bool>(task));
      EXPECT_EQ(JNI_TRUE, args.ignoreUnrecognized);
      for (jint i = 0; i < args.nOptions; ++i) {
        options.push_back(args.options[i].optionString);
        EXPECT_EQ(nullptr, args.options[i].extraInfo);
      }
      releaseVmOptions(args.nOptions, args.options);
    });
  }

  LaunchSettings settings;
  std::string startDirectory;
  std::string appDirectory;
  std::vector<std::string> options;
};

TEST_F(LaunchTest, MissingRuntimeLibraryIsReported) {
  writeConfig(R"({"mainClass": "M", "classPath": ["a.jar"], "env": {"VANTREL_T": "1"}})");
  testing::internal::CaptureStderr();
  EXPECT_EQ(1, launchRecording());
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(0u, err.find("Error code [")) << err;
  EXPECT_NE(std::string::npos,
            err.find("] when trying to load libjvm.so: " + appDirectory +
                     "/jre/lib/server/libjvm.so: "));
  EXPECT_NE(std::string::npos, err.find("\nError: failed to load VM runtime library!\n"));
  EXPECT_STREQ("1", std::getenv("VANTREL_T"));
}

// The options: the class path, the VM options, then the properties the java
// command sets (those the VM options set left to them); in interface mode
// the options the runtime does not recognise are named.
TEST_F(LaunchTest, BuildsTheOptionsAndCallsTheRunner) {
  installRuntime();
  writeConfig(R"({"mainClass": "app.Main", "classPath": ["a.jar", "", "b.jar"],
                  "vmArgs": ["-Xmx512m", "", "-XX:+NoSuchFlag", "-Dsun.java.launcher=mine"],
                  "args": ["--first"]})");
  settings.interfaceMode = true;
  settings.javaArgs = {"x"};
  settings.launcherPath = "/opt/app/vantrel";
  testing::internal::CaptureStderr();
  EXPECT_EQ(0, launchRecording());
  // An empty entry would put the working directory on the class path.
  EXPECT_EQ("Warning: ignoring element 2 of 'classPath' in config.json: it is empty\n"
            "Warning: the Java VM does not recognise the option -XX:+NoSuchFlag and ignores "
            "it\n",
            testing::internal::GetCapturedStderr());
  EXPECT_EQ((std::vector<std::string>{"-Djava.class.path=a.jar:b.jar", "-Xmx512m", "",
                                      "-XX:+NoSuchFlag", "-Dsun.java.launcher=mine",
                                      "-Dsun.java.command=app.Main --first x",
                                      "-Dvantrel.launcher=/opt/app/vantrel"}),
            options);
}

TEST_F(LaunchTest, VerboseLinesFollowTheSteps) {
  installRuntime();
  writeConfig(R"({"mainClass": "M", "classPath": []})");
  settings.verbose = true;
  settings.vmArgs = {"-Xmx512m"};
  testing::internal::CaptureStdout();
  EXPECT_EQ(0, launchRecording());
  EXPECT_EQ("Changing working directory to " + appDirectory + " ...\nUsing Java runtime " +
                appDirectory + "/jre ...\nLoading JVM runtime library ...\nPassing VM options ...\n"
                "  # -Xmx512m\n",
            testing::internal::GetCapturedStdout());
  EXPECT_EQ((std::vector<std::string>{"-Djava.class.path=", "-Xmx512m", "-Dsun.java.command=M",
                                      "-Dsun.java.launcher=SUN_STANDARD"}),
            options);
}

TEST_F(LaunchTest, UnenterableDirectoryIsAWarning) {
  settings.workingDirectory = appDirectory + "/missing";
  settings.configPath = appDirectory + "/none.json";
  testing::internal::CaptureStderr();
  EXPECT_EQ(1, launchRecording());
  EXPECT_EQ("Warning: failed to change working directory to " + appDirectory +
                "/missing\nError: failed to load configuration: " + appDirectory +
                "/none.json\n",
            testing::internal::GetCapturedStderr());
}

// Judged by the names in the runtime library, as the VM matches them; the
// verdicts hold for every Java version from 11 on.
TEST(VmOptionNames, TellTheOptionsTheRuntimeIgnores) {
  const VmOptionNames names = readVmOptionNames(VANTREL_TEST_LIBJVM);
  ASSERT_TRUE(names.known()) << names.problem;
  const struct {
    const char* option;
    bool recognised;
  } cases[] = {
      {"-Xmx512m", true}, {"-Xss1m", true}, {"-Xlog:gc*:file=gc.log", true},
      {"-Xshare:auto", true}, {"-ea", true}, {"-ea:app...", true}, {"-verbose:gc", true},
      {"--add-opens=java.base/java.lang=ALL-UNNAMED", true}, {"-XX:+UseSerialGC", true},
      {"-XX:-UseCompressedOops", true}, {"-XX:MaxRAMPercentage=50", true},
      {"-XX:Flags=.hotspotrc", true}, {"-Xrunjdwp:transport=dt_socket", true},
      {"-agentlib:jdwp=server=y", true}, {"-javaagent:agent.jar", true}, {"-Dx", true},
      {"", true},
      {"-XX:+UseZGCC", false}, {"-XX:+NoSuchOption", false}, {"-XX:+", false},
      {"-XX:#+UseSerialGC", false}, {"-Xfoo", false}, {"-Xverifyx", false}, {"-cp", false},
      {"-jar", false}, {"--add-opens java.base/java.lang=ALL-UNNAMED", false},
      {"java.base/java.lang=ALL-UNNAMED", false}, {" -Xmx1g", false}, {"exit", false},
  };
  for (const auto& c : cases) EXPECT_EQ(c.recognised, recognisesVmOption(names, c.option)) << c.option;
  // Files that are no runtime library tell nothing, and nothing is reported.
  char pattern[] = "/tmp/vantrel-names-XXXXXX";
  ASSERT_NE(nullptr, mkdtemp(pattern));
  const std::string folder = pattern;
  for (const std::string& content : {std::string(), std::string("-Xmx\0-XX:Flags=\0", 16),
                                     std::string("\x7f" "ELF\2\1", 6) + std::string(58, '\xff'),
                                     std::string("MZ") + std::string(62, '\xff')}) {
    std::ofstream(folder + "/lib", std::ios::binary) << content;
    const VmOptionNames none = readVmOptionNames(folder + "/lib");
    EXPECT_FALSE(none.known()) << content.size();
    EXPECT_TRUE(unrecognisedVmOptions(none, {"-XX:+UseZGCC"}).empty());
  }
  EXPECT_FALSE(readVmOptionNames(folder).known());
  std::system(("rm -rf " + folder).c_str());
}

TEST(SystemError, ReportEndsItsLineWithoutSystemText) {
  errno = 0;
  testing::internal::CaptureStderr();
  reportSystemError("do something");
  EXPECT_EQ("Error code [0] when trying to do something: no description available\n",
            testing::internal::GetCapturedStderr());
  errno = ENOENT;
  testing::internal::CaptureStderr();
  reportSystemError("open it");
  EXPECT_EQ("Error code [2] when trying to open it: No such file or directory\n",
            testing::internal::GetCapturedStderr());
}

}  // namespace
