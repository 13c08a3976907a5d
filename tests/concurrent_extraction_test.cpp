// Previews extract from the same open folder file while a run works on another
// thread: neither thread's reads nor its damage mark may disturb the other's.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "engine/dbx_recovery_engine.h"
#include "platform/scratch_files.h"
#include "tests/folder_builder.h"
#include "tests/recording_reporter.h"
#include "tests/temp_dir.h"

namespace rescuva::engine {
namespace {

TEST(ConcurrentExtraction, PreviewsDoNotDisturbTheRun) {
  testing::TempDir dir;
  constexpr uint32_t kMessages = 300;
  testing::FolderBuilder folder(0x3000 + kMessages * 0x400);
  for (uint32_t i = 0; i < kMessages; ++i) {
    // odd messages carry the damage mark
    folder.Chain({0x3000 + i * 0x400}, testing::MailText("m" + std::to_string(i)),
                 i % 2 ? 0x1FC : 512);
  }
  const std::string path = folder.Write(dir.Path());

  testing::RecordingReporter reporter;
  DbxRecoveryEngine engine(reporter, platform::PrivateTempFolder());
  ASSERT_TRUE(engine.OpenSource(path));
  std::atomic<bool> done{false};
  std::thread worker([&] {
    engine.ScanForLostBlocks();
    done = true;
  });
  // the preview keeps extracting a damaged and an undamaged message meanwhile
  int previews = 0;
  bool ok = true;
  while (!done || previews < 50) {
    bool damaged = false;
    ok &= engine.ExtractToFile(dir.Path() + "/preview.eml", 0x3000 + 0x400, Repair::kNulOnly,
                               &damaged) &&
          damaged;
    ok &= engine.ExtractToFile(dir.Path() + "/preview.eml", 0x3000, Repair::kNulOnly, &damaged) &&
          !damaged;
    ok &= testing::ReadFileText(dir.Path() + "/preview.eml") == testing::MailText("m0");
    ++previews;
  }
  worker.join();
  EXPECT_TRUE(ok);
  ASSERT_EQ(reporter.messages.size(), kMessages);
  for (uint32_t i = 0; i < kMessages; ++i) {
    EXPECT_EQ(reporter.messages[i].offset, 0x3000 + i * 0x400);
    EXPECT_EQ(reporter.messages[i].deleted, i % 2 == 1) << i;
  }
}

}  // namespace
}  // namespace rescuva::engine
