// The runtime's version as its release file gives it, and the routes chosen
// for it at the user's and at packaging time.
#include "startup_cache.h"

#include <gtest/gtest.h>

namespace {

TEST(StartupCache, RouteFollowsTheReleaseFile) {
  struct Case {
    const char* release;
    int version;
    CacheRoute user;
    CacheRoute shipped;
  } cases[] = {
      {"JAVA_VERSION=\"17.0.15\"\n", 17, CacheRoute::ClassList, CacheRoute::ClassList},
      {"IMPLEMENTOR=\"x\"\nJAVA_VERSION=\"25.0.3\"\nMODULES=\"java.base\"\n", 25,
       CacheRoute::ClassList, CacheRoute::AotCache},
      {"JAVA_VERSION=\"21\"\r\n", 21, CacheRoute::ClassList, CacheRoute::ClassList},
      {"JAVA_VERSION=\"13.0.2\"", 13, CacheRoute::ClassList, CacheRoute::ClassList},
      {"JAVA_VERSION=\"12.0.1\"", 12, CacheRoute::ClassList, CacheRoute::ClassList},
      {"JAVA_VERSION=\"1.8.0_402\"", 8, CacheRoute::None, CacheRoute::None},
      {"IMPLEMENTOR=\"x\"\r\nJAVA_VERSION=\"1.8.0_392\"\r\n", 8, CacheRoute::None, CacheRoute::None},
      {"JAVA_VERSION=\"11.0.2\"\nMODULES=\"java.base\"\n", 11, CacheRoute::ClassList,
       CacheRoute::ClassList},
      {"JAVA_VERSION=\"21.0.1+12\"\n", 21, CacheRoute::ClassList, CacheRoute::ClassList},
      {"OTHER_JAVA_VERSION=\"99\"\nJAVA_VERSION=\"18\"", 18, CacheRoute::ClassList, CacheRoute::ClassList},
      {"OTHER_JAVA_VERSION=\"99\"\n", 0, CacheRoute::None, CacheRoute::None},
      {"JAVA_VERSION=\"\"", 0, CacheRoute::None, CacheRoute::None},
      {"", 0, CacheRoute::None, CacheRoute::None},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(javaFeatureVersion(c.release), c.version) << c.release;
    EXPECT_EQ(cacheRouteFor(javaFeatureVersion(c.release), false), c.user) << c.release;
    EXPECT_EQ(cacheRouteFor(javaFeatureVersion(c.release), true), c.shipped) << c.release;
  }
}

}  // namespace
