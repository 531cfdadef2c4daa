// Hostile configuration files and argument files: files that are no plain
// files, NUL bytes, invalid UTF-8 and environment names the platform refuses.
// Every test runs under an alarm: a hang ends the test program with failure.
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>


#include "class_path.h"
#include "config_test_support.h"
#include "configuration.h"
#include "json.h"
#include "platform.h"

namespace {

using Strings = std::vector<std::string>;
using namespace std::string_literals;

class HostileConfigTest : public ConfigTest {
 protected:
  void SetUp() override {
    ConfigTest::SetUp();
    alarm(20);
  }
  void TearDown() override {
    alarm(0);
    ConfigTest::TearDown();
  }

  /// Loads config.json into `loaded`; returns standard error, and whether
  /// the launch ended there.
  std::string loadReporting(bool* exited = nullptr) {
    testing::internal::CaptureStderr();
    const StepResult<LaunchSettings> result = load();
    loaded = result.value;
    if (exited) *exited = result.stops();
    return testing::internal::GetCapturedStderr();
  }

  LaunchSettings loaded;
};

std::string withSeparator(std::string text) {
  for (char& c : text)
    if (c == '@') c = pathListSeparator;
  return text;
}

TEST_F(HostileConfigTest, ArgumentFilesThatAreNoPlainFiles) {
  ASSERT_EQ(mkfifo("fifo.txt", 0600), 0);  // nobody ever writes to it
  std::filesystem::create_directory("dir.txt");
  std::filesystem::create_symlink("loop.txt", "loop.txt");
  std::filesystem::create_symlink("/dev/zero", "zero.txt");  // never ends
  write("config.json", R"({"mainClass": "M", "classPath":
      ["a.jar", "fifo.txt", "dir.txt", "loop.txt", "zero.txt", "b.jar"]})");
  EXPECT_EQ(loadReporting(),
            "Warning: failed to read class path argument file fifo.txt: Is a FIFO or "
            "socket, not a file\n"
            "Warning: failed to read class path argument file dir.txt: Is a directory\n"
            "Warning: failed to read class path argument file loop.txt: Too many levels "
            "of symbolic links\n"
            "Warning: failed to read class path argument file zero.txt: Is a device, "
            "not a file\n");
  EXPECT_EQ(loaded.classPath, (Strings{"a.jar", "b.jar"}));
}

TEST_F(HostileConfigTest, ConfigurationsThatAreNoPlainFilesFailPromptly) {
  ASSERT_EQ(mkfifo("fifo.json", 0600), 0);
  std::filesystem::create_directory("dir.json");
  for (const char* path : {"fifo.json", "dir.json", "/dev/zero"}) {
    settings.configPath = path;
    bool exited = false;
    EXPECT_EQ(loadReporting(&exited), "Error: failed to load configuration: "s + path + "\n");
    EXPECT_TRUE(exited);
  }
}

// A FIFO is refused at once even when a writer has it open and has written.
TEST_F(HostileConfigTest, ConfigurationFromAPipeIsRefusedEvenWithAWriter) {
  ASSERT_EQ(mkfifo("pipe.json", 0600), 0);
  const int writer = open("pipe.json", O_RDWR);  // Linux opens it without waiting
  ASSERT_GE(writer, 0);
  const std::string text = R"({"mainClass": "Piped", "classPath": []})";
  ASSERT_EQ(::write(writer, text.data(), text.size()), static_cast<ssize_t>(text.size()));
  settings.configPath = "pipe.json";
  bool exited = false;
  EXPECT_EQ(loadReporting(&exited), "Error: failed to load configuration: pipe.json\n");
  EXPECT_TRUE(exited);
  EXPECT_EQ(loaded.mainClass, "");
  close(writer);
}

// Variables, options and class path entries reach the platform and the VM
// as NUL-terminated texts: one holding a NUL byte would arrive cut short.
TEST_F(HostileConfigTest, TextsWithNulBytesAreSkippedWithAWarning) {
  write("deps.txt", withSeparator("-classpath x\0y.jar@z.jar"s));
  write("config.json", R"({"mainClass": "M",
      "classPath": ["a\u0000.jar", "deps.txt", "b.jar"],
      "vmArgs": ["-Dx=a\u0000b", "-Xmx1g"],
      "env": {"VH_N\u0000X": "v", "VH_V": "a\u0000b", "VH_OK": "ok"}})");
  EXPECT_EQ(loadReporting(),
            "Warning: ignoring member 'VH_V' of 'env' in config.json: it holds a NUL byte\n"
            "Warning: ignoring member 'VH_N\\u0000X' of 'env' in config.json: it holds a "
            "NUL byte\n"
            "Warning: ignoring element 1 of 'vmArgs' in config.json: it holds a NUL byte\n"
            "Warning: ignoring element 1 of 'classPath' in config.json: it holds a NUL "
            "byte\n"
            "Warning: ignoring an entry of class path argument file deps.txt: it holds a "
            "NUL byte\n");
  EXPECT_EQ(getenv("VH_N"), nullptr);
  EXPECT_EQ(getenv("VH_V"), nullptr);
  EXPECT_STREQ(getenv("VH_OK"), "ok");
  EXPECT_EQ(loaded.vmArgs, Strings{"-Xmx1g"});
  EXPECT_EQ(loaded.classPath, (Strings{"z.jar", "b.jar"}));
}

TEST_F(HostileConfigTest, RawNulBytesEndTheText) {
  struct {
    std::string file;
    bool loads;
  } cases[] = {
      {"{\"mainClass\": \"M\", \"classPath\": []}\0{\"x\""s, true},
      {"{\"mainClass\": \"M\0\", \"classPath\": []}"s, false},
      {"\0{\"mainClass\": \"M\", \"classPath\": []}"s, false},
  };
  for (const auto& c : cases) {
    write("config.json", c.file);
    bool exited = false;
    loadReporting(&exited);
    EXPECT_EQ(exited, !c.loads);
  }
}

TEST_F(HostileConfigTest, InvalidUtf8PassesThroughUnchanged) {
  write("deps.txt", "-classpath \xfe.jar");
  write("config.json",
        "{\"mainClass\": \"\xff\xfe\", \"classPath\": [\"\xc3\", \"deps.txt\"],"
        " \"vmArgs\": [\"-D\xc0\x80\"], \"env\": {\"VH_\xff\": \"\xc0\x80\xed\xa0\x80\"}}");
  EXPECT_EQ(loadReporting(), "");
  EXPECT_EQ(loaded.mainClass, "\xff\xfe");
  EXPECT_EQ(loaded.classPath, (Strings{"\xc3", "\xfe.jar"}));
  EXPECT_EQ(loaded.vmArgs, Strings{"-D\xc0\x80"});
  EXPECT_STREQ(getenv("VH_\xff"), "\xc0\x80\xed\xa0\x80");
}

// setenv refuses an empty name and a name with '=': such members are passed
// over without a message, and the members after them are still set.
TEST_F(HostileConfigTest, RefusedEnvironmentNamesDoNotStopTheOthers) {
  write("config.json", R"({"mainClass": "M", "classPath": [],
      "env": {"": "empty", "=": "equals", "VH=X": "inside", "VH_AFTER": "set"}})");
  settings.verbose = true;
  testing::internal::CaptureStdout();
  EXPECT_EQ(loadReporting(), "");
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "Setting up env...\n  =empty\n  ==equals\n  VH=X=inside\n  VH_AFTER=set\n");
  EXPECT_EQ(getenv("VH"), nullptr);
  EXPECT_STREQ(getenv("VH_AFTER"), "set");
}

}  // namespace
