// Very long command lines: thousands of arguments and arguments of a
// megabyte, through the launcher's front end and through the option parser.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "command_line.h"
#include "tabopt.h"
#include "tabopt_handlers.h"

namespace {

const size_t kMegabyte = 1 << 20;
const int kCount = 5000;

/// An argument vector over `arguments`, ended by a null entry.
std::vector<char*> vectorOf(std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(&argument[0]);
  argv.push_back(nullptr);
  return argv;
}

TEST(HostileCommandLine, ThousandsOfOptionsAndMegabyteArguments) {
  const std::string bigOption = "-Dbig=" + std::string(kMegabyte, 'o');
  const std::string bigArgument(kMegabyte, 'a');
  std::vector<std::string> arguments = {"/opt/app/vantrel", "-c", "-v", "-J", bigOption};
  for (int i = 0; i < kCount; ++i) {
    arguments.push_back("-J");
    arguments.push_back("-Dk" + std::to_string(i) + "=v");
  }
  arguments.push_back("--");
  for (int i = 0; i < kCount; ++i) arguments.push_back("arg" + std::to_string(i));
  arguments.push_back(bigArgument);
  std::vector<char*> argv = vectorOf(arguments);

  testing::internal::CaptureStdout();
  const StepResult<LaunchSettings> result =
      parseCommandLine(static_cast<int>(arguments.size()), argv.data(), LaunchSettings());
  testing::internal::GetCapturedStdout();
  EXPECT_FALSE(result.stops());
  const LaunchSettings& settings = result.value;
  ASSERT_EQ(settings.vmArgs.size(), kCount + 1u);
  EXPECT_EQ(settings.vmArgs.front(), bigOption);
  EXPECT_EQ(settings.vmArgs.back(), "-Dk4999=v");
  ASSERT_EQ(settings.javaArgs.size(), kCount + 1u);
  EXPECT_EQ(settings.javaArgs.front(), "arg0");
  EXPECT_EQ(settings.javaArgs.back(), bigArgument);
}

TEST(HostileCommandLine, MegabyteOptionNameInTheErrorMessage) {
  const std::string name(kMegabyte, 'n');
  struct {
    std::string argument;
    std::string message;
  } cases[] = {
      {"--" + name + "=1", "Invalid option: --" + name},
      {"--verbose=" + name, "Invalid value for option --verbose: " + name},
      {"-v" + name, "Invalid option: -n"},
  };
  unsigned char verbose = 0;
  const tabopt_option table[] = {
      {'v', "verbose", "Prints more.", nullptr, store_boolean, &verbose, value_optional, 0},
      {0, nullptr, nullptr, nullptr, nullptr, nullptr, 0, 0}};
  for (auto& c : cases) {
    tabopt_context* context = create_context(table);
    char* argv[] = {&c.argument[0], nullptr};
    EXPECT_EQ(parse_arguments(context, -1, argv), argv + 1);
    EXPECT_EQ(error_message(context), c.message);
    destroy_context(context);
  }
}

TEST(HostileCommandLine, ParserWalksTwentyThousandArguments) {
  unsigned char verbose = 0;
  const char* value = nullptr;
  const tabopt_option table[] = {
      {'v', "verbose", "Prints more.", nullptr, store_boolean, &verbose, value_optional, 0},
      {'o', "output", "Output file.", "FILE", store_string, &value, 0, 0},
      {0, nullptr, nullptr, nullptr, nullptr, nullptr, 0, 0}};
  std::vector<std::string> arguments;
  for (int i = 0; i < 4 * kCount; ++i) arguments.push_back(i % 2 ? "-v" : "--verbose=0");
  arguments.push_back("-o");
  arguments.push_back(std::string(kMegabyte, 'f'));
  arguments.push_back("plain");
  std::vector<char*> argv = vectorOf(arguments);
  tabopt_context* context = create_context(table);
  char** rest = parse_arguments(context, -1, argv.data());
  EXPECT_EQ(last_error(context), no_error);
  EXPECT_EQ(rest, argv.data() + arguments.size() - 1);
  EXPECT_EQ(verbose, 1);
  EXPECT_EQ(value, argv[arguments.size() - 2]);
  destroy_context(context);
}

}  // namespace
