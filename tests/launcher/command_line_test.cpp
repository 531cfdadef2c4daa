// The command-line front end: program identity, argument routing and the
// interface mode's options, errors and help screen.
#include <string>
#include <vector>

#include "command_line.h"
#include "failing_allocation.h"
#include "launcher_test_support.h"

namespace {

using Strings = std::vector<std::string>;

/// Calls parseCommandLine with a null-terminated copy of `arguments`.
bool parse(const Strings& arguments) {
  static Strings storage;
  static std::vector<char*> argv;
  storage = arguments;
  argv.clear();
  for (std::string& argument : storage) argv.push_back(&argument[0]);
  argv.push_back(nullptr);
  return parseCommandLine(static_cast<int>(storage.size()), argv.data());
}

class CommandLineTest : public LauncherTest {};

TEST_F(CommandLineTest, ProgramPathGivesDirectoryAndName) {
  struct Case {
    const char* path;
    const char* directory;
    const char* name;
  } cases[] = {
      {"C:\\Apps\\Tool\\launcher.exe", "C:\\Apps\\Tool", "launcher.exe"},
      {"launcher", "", "launcher"},
      {"\\launcher.exe", "", "launcher.exe"},
      {"C:\\Apps/sub\\launcher.exe", "C:\\Apps", "sub\\launcher.exe"},
      {"/opt/app/vantrel", "/opt/app", "vantrel"},
      {"/vantrel", "", "vantrel"},
      {"./vantrel", ".", "vantrel"},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    launchSettings = LaunchSettings();
    EXPECT_TRUE(parse({c.path}));
    EXPECT_EQ(c.directory, launchSettings.workingDirectory) << c.path;
    EXPECT_EQ(c.name, launchSettings.programName) << c.path;
    EXPECT_TRUE(launchSettings.javaArgs.empty());
  }
}

TEST_F(CommandLineTest, RoutesArgumentsAndAppliesOptions) {
  struct Case {
    Strings arguments;
    const char* workingDirectory;
    const char* configPath;
    bool verbose;
    Strings vmArgs;
    Strings javaArgs;
  } cases[] = {
      {{"--CLI", "-v"}, "/app", "config.json", false, {}, {"--CLI", "-v"}},
      {{"-C"}, "/app", "config.json", false, {}, {"-C"}},
      {{"--cli=1", "x"}, "/app", "config.json", false, {}, {"--cli=1", "x"}},
      {{"-cv"}, "/app", "config.json", false, {}, {"-cv"}},
      {{"--clix"}, "/app", "config.json", false, {}, {"--clix"}},
      {{"x", "-c", "--console", "--", ""}, "/app", "config.json", false, {},
       {"x", "-c", "--console", "--", ""}},
      {{"-c"}, "/app", "config.json", false, {}, {}},
      {{"-c", "-v", "--cwd=/d", "--config=alt.json", "foo", "-x"}, "/d", "alt.json", true,
       {}, {"foo", "-x"}},
      {{"--cli", "--config", "alt.json", "--cwd="}, "", "alt.json", false, {}, {}},
      {{"-c", "-J", "-Xmx1g", "-J=-Dname=value"}, "/app", "config.json", false,
       {"-Xmx1g", "-Dname=value"}, {}},
      {{"-c", "-vJ", "-Xss1m", "-J", ""}, "/app", "config.json", true, {"-Xss1m", ""}, {}},
      {{"-c", "--", "-v"}, "/app", "config.json", false, {}, {"-v"}},
      {{"-c", "--console", "--console=0", "-"}, "/app", "config.json", false, {}, {"-"}},
      {{"-c", "--help=0", "-v"}, "/app", "config.json", false, {}, {"-v"}},
      {{"-c", "--verbose=0", "--config", "-v"}, "/app", "-v", false, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.arguments));
    launchSettings = LaunchSettings();
    Strings arguments = {"/app/vantrel"};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    testing::internal::CaptureStdout();
    EXPECT_TRUE(parse(arguments));
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(c.workingDirectory, launchSettings.workingDirectory);
    EXPECT_EQ(c.configPath, launchSettings.configPath);
    EXPECT_EQ(c.verbose, launchSettings.verbose);
    EXPECT_EQ(c.vmArgs, launchSettings.vmArgs);
    EXPECT_EQ(c.javaArgs, launchSettings.javaArgs);
  }
}

TEST_F(CommandLineTest, VerboseLinesComeInFixedOrder) {
  testing::internal::CaptureStdout();
  EXPECT_TRUE(parse({"vantrel", "-c", "--config=alt.json", "--cwd=/d", "-v"}));
  EXPECT_EQ("Using working directory /d ...\nUsing configuration file alt.json ...\n",
            testing::internal::GetCapturedStdout());
}

TEST_F(CommandLineTest, ErrorsEndTheProcess) {
  struct Case {
    Strings arguments;
    const char* message;
  } cases[] = {
      {{"-c", "--bad"}, "Invalid option: --bad\n"},
      {{"-c", "--cwd", "/d"}, "Value required after option --cwd\n"},
      {{"-c", "--config"}, "Value required after option --config\n"},
      {{"-c", "-J-Xmx1g"}, "Value required after option -J\n"},
      {{"-c", "-J"}, "Value required after option -J\n"},
      {{"-c", "--verbose=yes"}, "Invalid value for option --verbose: yes\n"},
      {{"-c", "--verbose="}, "Invalid value for option --verbose: \n"},
      {{"-c", "--=1"}, "Invalid option: --=1\n"},
      {{"-c", "-x", "--help"}, "Invalid option: -x\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    launchSettings = LaunchSettings();
    Strings arguments = {"vantrel"};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_EQ(1, exitStatusOf([&] { parse(arguments); }));
    EXPECT_EQ(c.message, testing::internal::GetCapturedStderr());
    EXPECT_EQ("", testing::internal::GetCapturedStdout());
  }
}

TEST_F(CommandLineTest, NoParserContextEndsTheProcessInEveryMode) {
  for (const Strings& arguments : {Strings{"vantrel"}, Strings{"vantrel", "x"},
                                   Strings{"vantrel", "-c", "--help"}}) {
    testing::internal::CaptureStderr();
    int status = exitStatusOf([&] {
      FailingAllocation failing(1, true);
      parse(arguments);
    });
    EXPECT_EQ(1, status);
    EXPECT_EQ("Error: failed to parse command line!\n", testing::internal::GetCapturedStderr());
  }
}

const char helpScreen[] =
    "Usage: launcher.exe [java arguments]\n"
    "       launcher.exe -c [options] [-- [java arguments]]\n"
    "\n"
    "Options:\n"
    "  -c, --cli\n"
    "      Enables this command line interface.\n"
    "\n"
    "  -h, --help\n"
    "      Shows help.\n"
    "\n"
    "  --cwd\n"
    "      Sets the working directory.\n"
    "\n"
    "  --config[=config.json]\n"
    "      Specifies the configuration file.\n"
    "\n"
    "  -v, --verbose\n"
    "      Prints additional information.\n"
    "\n"
    "  --console\n"
    "      Attachs a console window. [Windows only]\n"
    "\n"
    "  -J=-Xmx512m\n"
    "      JVM argument\n"
    "\n";

TEST_F(CommandLineTest, HelpShowsTheScreenAndAppliesNothing) {
  Strings helpRequests[] = {{"--cli", "--help", "x"},
                               {"-c", "-?", "x"},
                               {"-c", "-h", "--bad"},
                               {"-c", "-vh", "x"}};
  for (const Strings& request : helpRequests) {
    launchSettings = LaunchSettings();
    Strings arguments = {"C:\\Apps\\launcher.exe"};
    arguments.insert(arguments.end(), request.begin(), request.end());
    testing::internal::CaptureStdout();
    EXPECT_FALSE(parse(arguments));
    EXPECT_EQ(helpScreen, testing::internal::GetCapturedStdout());
    EXPECT_FALSE(launchSettings.verbose);
    EXPECT_TRUE(launchSettings.javaArgs.empty());
  }
}

}  // namespace
