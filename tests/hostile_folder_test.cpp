// Crafted files that try to make a run cost without bound: an index that names one
// child node over and over, and files whose every four bytes hold their own offset,
// or that offset moved by one of many shifts.
#include <gtest/gtest.h>

#include <filesystem>

#include "engine/dbx_recovery_engine.h"
#include "platform/scratch_files.h"
#include "tests/folder_builder.h"
#include "tests/recording_reporter.h"
#include "tests/temp_dir.h"

namespace rescuva::engine {
namespace {

using testing::FolderBuilder;

// The largest scratch file a run leaves behind is its largest message's copy.
uintmax_t LargestScratchFile() {
  uintmax_t largest = 0;
  for (const auto& entry : std::filesystem::directory_iterator(platform::PrivateTempFolder())) {
    if (entry.is_regular_file()) largest = std::max(largest, entry.file_size());
  }
  return largest;
}

TEST(HostileFolders, AChildNamedAgainAndAgainIsWalkedOnce) {
  testing::TempDir dir;
  // a root of 51 entries, every one naming the same child, whose 51 entries name the
  // same grandchild, whose entry names one message
  FolderBuilder folder(0x10000);
  std::vector<IndexEntry> to_child(51, IndexEntry{0, 0x3000, 51 * 51});
  std::vector<IndexEntry> to_grandchild(51, IndexEntry{0, 0x3400, 1});
  folder.Header(0xFFFFFFFF, 0x2600);
  auto node = [&](uint32_t at, uint32_t parent, const std::vector<IndexEntry>& entries) {
    IndexNode n;
    n.self_offset = at;
    n.parent_offset = parent;
    n.entry_count = static_cast<uint8_t>(entries.size());
    std::copy(entries.begin(), entries.end(), n.entries.begin());
    folder.Bytes(at, n.Encode());
  };
  node(0x2600, 0, to_child);
  // the child's parent must be the root; the grandchild's the child
  node(0x3000, 0x2600, to_grandchild);
  folder.Node(0x3400, 0x3000, {{0x3800, 0, 0}}).Record(0x3800, 0x4000);
  folder.Chain({0x4000}, testing::MailText("only one"));
  testing::RecordingReporter reporter;
  DbxRecoveryEngine engine(reporter, platform::PrivateTempFolder());
  EXPECT_EQ(engine.Run(folder.Write(dir.Path())).ending, RunEnding::kDone);
  ASSERT_EQ(reporter.messages.size(), 1u);
  EXPECT_EQ(reporter.messages[0].offset, 0x4000u);
}

// Every four bytes hold their own offset: every position is a block whose chain runs
// on 12 bytes further. The run ends, and no chain copies more than the file holds.
TEST(HostileFolders, SelfOffsetsEverywhereCostBoundedWork) {
  testing::TempDir dir;
  constexpr uint32_t kLength = 1 << 20;
  FolderBuilder folder(kLength);
  for (uint32_t at = 0; at < kLength; at += 4) folder.Le32(at, at);
  testing::RecordingReporter reporter;
  DbxRecoveryEngine engine(reporter, platform::PrivateTempFolder());
  const RunOutcome outcome = engine.Run(folder.Write(dir.Path()));
  EXPECT_EQ(outcome.ending, RunEnding::kDone);
  EXPECT_EQ(reporter.statuses.back(), "Repairing  done..");
  EXPECT_LE(LargestScratchFile(), uintmax_t{kLength} + 512);
  for (const auto& message : reporter.messages) EXPECT_LE(message.text.size(), kLength + 512u);
}

// Every four bytes hold their offset moved by one of eight shifts, each shift shown by
// block-shaped pairs: only the pairs are kept, one piece per shift.
TEST(HostileFolders, OffsetsAtManyShiftsKeepBoundedCandidates) {
  testing::TempDir dir;
  constexpr uint32_t kLength = 1 << 20;
  FolderBuilder folder(kLength);
  for (uint32_t at = 0; at < kLength; at += 4) folder.Le32(at, at - 0x40 * (1 + at / 4 % 8));
  for (uint32_t shift = 1; shift <= 8; ++shift) {
    for (uint32_t pair = 0; pair < 2; ++pair) {
      const uint32_t at = 0x10000 * shift + pair * 0x1000;
      folder.Block(at, 0x200, 0x200, 0).Block(at + 0x210, 0x200, 0x200, 0);
      folder.Le32(at, at - 0x40 * shift).Le32(at + 0x210, at + 0x210 - 0x40 * shift);
    }
  }
  testing::RecordingReporter reporter;
  DbxRecoveryEngine engine(reporter, platform::PrivateTempFolder());
  EXPECT_EQ(engine.Run(folder.Write(dir.Path())).ending, RunEnding::kDone);
  EXPECT_EQ(reporter.statuses.back(), "Repairing  done..");
  ASSERT_EQ(engine.Pieces().size(), 8u);
  size_t kept = 0;
  for (const auto& piece : engine.Pieces()) kept += piece.end - piece.begin;
  EXPECT_EQ(kept, 32u);
}

// An honest chain of many blocks keeps all its text: the bound is the file's length.
TEST(HostileFolders, LongHonestChainsAreNotCut) {
  testing::TempDir dir;
  const std::string text = testing::MailText("long", std::string(200 * 512, 'x'));
  const uint32_t blocks = static_cast<uint32_t>(text.size() / 512 + 1);
  FolderBuilder folder(0x3000 + blocks * 0x210);
  std::vector<uint32_t> offsets;
  for (uint32_t i = 0; i < blocks; ++i) offsets.push_back(0x3000 + i * 0x210);
  folder.Chain(offsets, text);
  testing::RecordingReporter reporter;
  DbxRecoveryEngine engine(reporter, platform::PrivateTempFolder());
  engine.Run(folder.Write(dir.Path()));
  ASSERT_EQ(reporter.messages.size(), 1u);
  EXPECT_EQ(reporter.messages[0].text, text);
}

}  // namespace
}  // namespace rescuva::engine
