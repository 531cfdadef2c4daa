// The runtime's version as its release file gives it, and the route chosen
// for it.
#include "startup_cache.h"

#include <gtest/gtest.h>

#include <string>

#include "cache_key.h"
#include "runtime_layout.h"

namespace {

TEST(StartupCache, RouteFollowsTheReleaseFile) {
  struct Case {
    const char* release;
    int version;
    CacheRoute route;
  } cases[] = {
      {"JAVA_VERSION=\"17.0.15\"\n", 17, CacheRoute::ClassList},
      {"IMPLEMENTOR=\"x\"\nJAVA_VERSION=\"25.0.3\"\nMODULES=\"java.base\"\n", 25,
       CacheRoute::ClassList},
      {"JAVA_VERSION=\"21\"\r\n", 21, CacheRoute::ClassList},
      {"JAVA_VERSION=\"13.0.2\"", 13, CacheRoute::ClassList},
      {"JAVA_VERSION=\"12.0.1\"", 12, CacheRoute::ClassList},
      {"JAVA_VERSION=\"1.8.0_402\"", 8, CacheRoute::None},
      {"IMPLEMENTOR=\"x\"\r\nJAVA_VERSION=\"1.8.0_392\"\r\n", 8, CacheRoute::None},
      {"JAVA_VERSION=\"11.0.2\"\nMODULES=\"java.base\"\n", 11, CacheRoute::ClassList},
      {"JAVA_VERSION=\"21.0.1+12\"\n", 21, CacheRoute::ClassList},
      {"OTHER_JAVA_VERSION=\"99\"\nJAVA_VERSION=\"18\"", 18, CacheRoute::ClassList},
      {"OTHER_JAVA_VERSION=\"99\"\n", 0, CacheRoute::None},
      {"JAVA_VERSION=\"\"", 0, CacheRoute::None},
      {"", 0, CacheRoute::None},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(javaFeatureVersion(c.release), c.version) << c.release;
    EXPECT_EQ(cacheRouteFor(javaFeatureVersion(c.release)), c.route) << c.release;
  }
}

/// The key of an app installed in `folder` whose VM option is `option`, where
/// "@" stands for the folder.
std::string keyIn(const std::string& folder, std::string option) {
  for (size_t at = option.find('@'); at != std::string::npos; at = option.find('@'))
    option.replace(at, 1, folder);
  CacheKeyInputs inputs;
  inputs.appDirectory = folder;
  inputs.workingDirectory = folder;
  inputs.runtimeHome = folder + "/jre";
  inputs.releaseText = "JAVA_VERSION=\"17.0.15\"\n";
  inputs.classPath = {"lib/app.jar", folder + "/lib/more.jar"};
  inputs.vmArgs = {option};
  return portableKey(inputs);
}

// A copy of the app folder elsewhere has the same key, so that an archive
// made at packaging time fits every installed copy; nothing else does.
TEST(StartupCache, KeyHoldsNoPathOfTheAppFolder) {
  struct Case {
    const char* option;
    bool same;
  } cases[] = {
      {"-Xmx512m", true},
      {"-Dhome=@", true},
      {"-Dpath=@/lib:@/plugins", true},
      {"-Dhome=\"@\"", true},
      {"-Dconf=/etc/app.conf", true},
      {"-Dhome=@x", false},  // another folder whose name starts alike
      {"-Dhome=@.old", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(keyIn("/opt/app", c.option) == keyIn("/srv/x/app", c.option), c.same) << c.option;
}

}  // namespace
