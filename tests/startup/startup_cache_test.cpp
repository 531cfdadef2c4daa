// The runtime's version as its release file gives it, and the mechanism
// chosen for it.
#include "startup_cache.h"

#include <gtest/gtest.h>

#include "runtime_layout.h"

namespace {

TEST(StartupCache, MechanismFollowsTheReleaseFile) {
  struct Case {
    const char* release;
    int version;
    CacheMechanism mechanism;
  } cases[] = {
      {"JAVA_VERSION=\"17.0.15\"\n", 17, CacheMechanism::DynamicArchive},
      {"IMPLEMENTOR=\"x\"\nJAVA_VERSION=\"25.0.3\"\nMODULES=\"java.base\"\n", 25,
       CacheMechanism::AotCache},
      {"JAVA_VERSION=\"21\"\r\n", 21, CacheMechanism::AutoArchive},
      {"JAVA_VERSION=\"13.0.2\"", 13, CacheMechanism::DynamicArchive},
      {"JAVA_VERSION=\"12.0.1\"", 12, CacheMechanism::None},
      {"JAVA_VERSION=\"1.8.0_402\"", 8, CacheMechanism::None},
      {"IMPLEMENTOR=\"x\"\r\nJAVA_VERSION=\"1.8.0_392\"\r\n", 8, CacheMechanism::None},
      {"JAVA_VERSION=\"11.0.2\"\nMODULES=\"java.base\"\n", 11, CacheMechanism::None},
      {"JAVA_VERSION=\"21.0.1+12\"\n", 21, CacheMechanism::AutoArchive},
      {"OTHER_JAVA_VERSION=\"99\"\nJAVA_VERSION=\"18\"", 18, CacheMechanism::DynamicArchive},
      {"OTHER_JAVA_VERSION=\"99\"\n", 0, CacheMechanism::None},
      {"JAVA_VERSION=\"\"", 0, CacheMechanism::None},
      {"", 0, CacheMechanism::None},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(javaFeatureVersion(c.release), c.version) << c.release;
    EXPECT_EQ(cacheMechanismFor(javaFeatureVersion(c.release)), c.mechanism) << c.release;
  }
}

}  // namespace
