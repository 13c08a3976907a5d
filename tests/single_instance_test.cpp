// One copy per machine: a second holder of the lock is refused until the first ends.
#include <gtest/gtest.h>

#include "platform/single_instance.h"
#include "tests/temp_dir.h"

namespace rescuva::platform {
namespace {

TEST(SingleInstance, SecondCopyIsRefusedUntilTheFirstEnds) {
  testing::TempDir dir;
  auto first = std::make_unique<SingleInstance>("{719967F0-DCC6-49b5-9C61-DE91175C3187}");
  EXPECT_TRUE(first->First());
  EXPECT_FALSE(SingleInstance("{719967F0-DCC6-49b5-9C61-DE91175C3187}").First());
  first.reset();
  EXPECT_TRUE(SingleInstance("{719967F0-DCC6-49b5-9C61-DE91175C3187}").First());
}

}  // namespace
}  // namespace rescuva::platform
