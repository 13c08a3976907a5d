// One copy per machine: a second holder of the lock is refused until the first ends,
// and only a running copy ever refuses a start.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/single_instance.h"
#include "tests/temp_dir.h"

namespace rescuva::platform {
namespace {

constexpr const char* kName = "{719967F0-DCC6-49b5-9C61-DE91175C3187}";

TEST(SingleInstance, SecondCopyIsRefusedUntilTheFirstEnds) {
  testing::TempDir dir;
  auto first = std::make_unique<SingleInstance>(kName);
  EXPECT_TRUE(first->First());
  EXPECT_FALSE(SingleInstance(kName).First());
  first.reset();
  EXPECT_TRUE(SingleInstance(kName).First());
}

// A lock file left behind, one we may only read, a planted link or a folder of that
// name: none of them is a running copy. The guard still holds among the copies
// started afterwards.
TEST(SingleInstance, OnlyARunningCopyBlocksAStart) {
  const std::string lock = std::string("/") + kName + ".lock";
  for (int variant = 0; variant < 4; ++variant) {
    testing::TempDir dir;
    const std::string path = dir.Path() + lock;
    if (variant == 0) std::ofstream(path) << "left by a copy that ended";
    if (variant == 1) {
      std::ofstream(path) << "";
      std::filesystem::permissions(path, std::filesystem::perms::owner_read);
    }
    if (variant == 2) std::filesystem::create_symlink(dir.Path() + "/elsewhere", path);
    if (variant == 3) std::filesystem::create_directory(path);
    SingleInstance first(kName);
    EXPECT_TRUE(first.First()) << variant;
    EXPECT_FALSE(SingleInstance(kName).First()) << variant;
    if (variant == 2) {
      EXPECT_FALSE(std::filesystem::exists(dir.Path() + "/elsewhere"));
    }
  }
}

}  // namespace
}  // namespace rescuva::platform
