// Whether the app's VM options can make the VM run without compressed
// object pointers, which decides whether the runtime keeps the class data
// archive for that (checked against the VM's own choice on Java 17 and 25).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "class_archives.h"

namespace {

struct HeapCase {
  std::vector<std::string> options;
  bool withoutCompressedOops;
};

TEST(ClassArchives, CompressedOopsFromTheVmOptions) {
  const HeapCase cases[] = {
      {{}, false},
      {{"-Xmx48m", "-Dx=-Xmx64g"}, false},
      {{"-Xmx31g"}, false},
      {{"-Xmx32g"}, true},
      {{"-Xmx32767m"}, true},
      {{"-XX:MaxHeapSize=34359738368"}, true},
      {{"-Xmx64G", "-Xmx1g"}, false},
      {{"-Xms40g"}, true},
      {{"-Xmx40g", "-XX:ObjectAlignmentInBytes=16"}, false},
      {{"-Xmx70g", "-XX:ObjectAlignmentInBytes=16"}, true},
      {{"-XX:-UseCompressedOops"}, true},
      {{"-XX:-UseCompressedOops", "-XX:+UseCompressedOops"}, false},
      {{"-XX:+UseZGC"}, true},
      {{"-XX:MaxRAMPercentage=20"}, false},
      {{"-XX:MaxRAMPercentage=25"}, true},
      {{"-XX:MaxRAMPercentage=75", "-Xmx2g"}, false},
      {{"-XX:MaxRAM=64g"}, false},
      {{"-XX:MaxRAM=256g"}, true},
      {{"-XX:MaxRAM=1t", "-XX:MaxRAMPercentage=5"}, true},
      {{"-Xmx32q"}, false},
  };
  for (const HeapCase& c : cases) {
    std::string shown;
    for (const std::string& option : c.options) shown += option + " ";
    EXPECT_EQ(c.withoutCompressedOops, mayRunWithoutCompressedOops(c.options)) << shown;
  }
}

}  // namespace
