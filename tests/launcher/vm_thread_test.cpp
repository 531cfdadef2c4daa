// The stack size of the VM's main thread on POSIX.
#include <gtest/gtest.h>

#include <vector>

#include "vm_thread.h"

namespace {

size_t stackSizeFor(std::vector<const char*> texts) {
  std::vector<JavaVMOption> options;
  for (const char* text : texts) options.push_back({const_cast<char*>(text), nullptr});
  JavaVMInitArgs args{JNI_VERSION_1_8, static_cast<jint>(options.size()), options.data(),
                      JNI_TRUE};
  return vmThreadStackSize(args);
}

TEST(VmThread, StackSizeFollowsTheLastXss) {
  EXPECT_EQ(8u << 20, stackSizeFor({"-Djava.class.path=a.jar"}));
  EXPECT_EQ(16u << 20, stackSizeFor({"-Xss16m"}));
  EXPECT_EQ(2u << 20, stackSizeFor({"-Xss4m", "-Xss2048k"}));
  EXPECT_EQ(1u << 30, stackSizeFor({"-Xss1G"}));
  EXPECT_EQ(3u << 20, stackSizeFor({"-Xss3145728"}));
  EXPECT_EQ(1u << 20, stackSizeFor({"-Xss64k"}));  // raised to a sane minimum
  EXPECT_EQ(8u << 20, stackSizeFor({"-Xssbig"}));
  EXPECT_EQ(8u << 20, stackSizeFor({"-Xss2q"}));
}

}  // namespace
