// The command-line front end: program identity, argument routing and the
// interface mode's options, errors and help screen.
#include <string>
#include <vector>

#include "failing_allocation.h"
#include "launcher_test_support.h"

namespace {

using Strings = std::vector<std::string>;

TEST(CommandLine, ProgramPathGivesDirectoryAndName) {
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
    const StepResult<LaunchSettings> result = parse({c.path});
    EXPECT_FALSE(result.stops());
    EXPECT_EQ(c.directory, result.value.workingDirectory) << c.path;
    EXPECT_EQ(c.name, result.value.programName) << c.path;
    EXPECT_TRUE(result.value.javaArgs.empty());
  }
  // The launcher's own file names the app, and its folder is the working
  // directory; a file without a folder tells nothing.
  const LaunchSettings own =
      parse({"C:\\Other\\x.exe"}, settingsOfLauncher("/opt/My App/Tool.EXE")).value;
  EXPECT_EQ("/opt/My App", own.workingDirectory);
  EXPECT_EQ("Tool", own.appName);
  EXPECT_EQ("x.exe", own.programName);
  EXPECT_EQ("", settingsOfLauncher("Tool.exe").appName);
}

TEST(CommandLine, RoutesArgumentsAndAppliesOptions) {
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
    Strings arguments = {"/app/vantrel"};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    testing::internal::CaptureStdout();
    const StepResult<LaunchSettings> result = parse(arguments);
    testing::internal::GetCapturedStdout();
    EXPECT_FALSE(result.stops());
    const LaunchSettings& settings = result.value;
    EXPECT_EQ(c.workingDirectory, settings.workingDirectory);
    EXPECT_EQ(c.configPath, settings.configPath);
    EXPECT_EQ(c.verbose, settings.verbose);
    EXPECT_EQ(c.vmArgs, settings.vmArgs);
    EXPECT_EQ(c.javaArgs, settings.javaArgs);
  }
}

TEST(CommandLine, VerboseLinesComeInFixedOrder) {
  testing::internal::CaptureStdout();
  EXPECT_FALSE(parse({"vantrel", "-c", "--config=alt.json", "--cwd=/d", "-v"}).stops());
  EXPECT_EQ("Using working directory /d ...\nUsing configuration file alt.json ...\n",
            testing::internal::GetCapturedStdout());
}

TEST(CommandLine, ErrorsEndTheLaunch) {
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
    Strings arguments = {"vantrel"};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_EQ(std::optional<int>(1), parse(arguments).exitStatus);
    EXPECT_EQ(c.message, testing::internal::GetCapturedStderr());
    EXPECT_EQ("", testing::internal::GetCapturedStdout());
  }
}

TEST(CommandLine, NoParserContextEndsTheLaunchInEveryMode) {
  for (const Strings& arguments : {Strings{"vantrel"}, Strings{"vantrel", "x"},
                                   Strings{"vantrel", "-c", "--help"}}) {
    ArgumentVector argv(arguments);
    testing::internal::CaptureStderr();
    std::optional<int> status;
    {
      FailingAllocation failing(1, true);
      status = parseCommandLine(argv.count(), argv.data(), LaunchSettings()).exitStatus;
    }
    EXPECT_EQ(std::optional<int>(1), status);
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
    "  --new-instance\n"
    "      Starts a separate instance of a single-instance app.\n"
    "\n"
    "  -J=-Xmx512m\n"
    "      JVM argument\n"
    "\n";

TEST(CommandLine, HelpShowsTheScreenAndAppliesNothing) {
  Strings helpRequests[] = {{"--cli", "--help", "x"},
                               {"-c", "-?", "x"},
                               {"-c", "-h", "--bad"},
                               {"-c", "-vh", "x"}};
  for (const Strings& request : helpRequests) {
    Strings arguments = {"C:\\Apps\\launcher.exe"};
    arguments.insert(arguments.end(), request.begin(), request.end());
    testing::internal::CaptureStdout();
    const StepResult<LaunchSettings> result = parse(arguments);
    EXPECT_EQ(std::optional<int>(1), result.exitStatus);
    EXPECT_EQ(helpScreen, testing::internal::GetCapturedStdout());
    EXPECT_FALSE(result.value.verbose);
    EXPECT_TRUE(result.value.javaArgs.empty());
  }
}

}  // namespace
