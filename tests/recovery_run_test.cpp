// Whole runs over crafted folder files: the stage order and status texts, stops in
// each stage, the index walk's edge cases and the rebuilding of lost chains.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "engine/dbx_recovery_engine.h"
#include "platform/scratch_files.h"
#include "tests/folder_builder.h"
#include "tests/recording_reporter.h"
#include "tests/temp_dir.h"

namespace rescuva::engine {
namespace {

using testing::FolderBuilder;
using testing::MailText;

constexpr const char* kStage1 = "Process((1/4)) Finding existing emails ...";
constexpr const char* kStage2 = "Process((2/4)) Finding lost emails ...";
constexpr const char* kStage3 = "Process((3/4)) Finding lost emails ...";
constexpr const char* kRecovered = "Recovery done, please select emails from list to see preview";
constexpr const char* kAborted = "User aborted process";

class RecoveryRunTest : public ::testing::Test {
 protected:
  void Run(const FolderBuilder& folder) { RunPath(folder.Write(dir_.Path())); }
  RunOutcome RunPath(const std::string& path) {
    DbxRecoveryEngine engine(reporter_, platform::PrivateTempFolder());
    return engine.Run(path);
  }
  // Runs stage 1 alone: the stop comes as stage 2 begins.
  void RunIndexOnly(const FolderBuilder& folder) {
    reporter_.stop_when = [](const auto& r) { return r.statuses.back() == kStage2; };
    Run(folder);
  }
  std::vector<uint64_t> Offsets() const {
    std::vector<uint64_t> offsets;
    for (const auto& m : reporter_.messages) offsets.push_back(m.offset);
    return offsets;
  }

  testing::TempDir dir_;
  testing::RecordingReporter reporter_;
};

// Two indexed messages, an orphan chain A -> B -> D, and a deleted single block.
FolderBuilder MixedFolder() {
  FolderBuilder folder(0x6000);
  folder.Header(2, 0x2600).Node(0x2600, 0, {{0x2800, 0, 0}, {0x2900, 0, 0}});
  folder.Record(0x2800, 0x3000).Record(0x2900, 0x3800);
  folder.Chain({0x3000, 0x3210}, MailText("first", std::string(600, 'x')));
  folder.Chain({0x3800}, MailText("second"));
  folder.Chain({0x4000, 0x4400, 0x4800}, MailText("orphan", std::string(900, 'y')));
  folder.Chain({0x5000}, MailText("deleted"), 0x1FC);
  return folder;
}

TEST_F(RecoveryRunTest, FullRunListsExistingThenLostMessages) {
  Run(MixedFolder());
  EXPECT_EQ(reporter_.statuses,
            (std::vector<std::string>{"Opening file...", kStage1, kStage2, kStage3, kRecovered,
                                      "Repairing  done.."}));
  ASSERT_EQ(Offsets(), (std::vector<uint64_t>{0x3000, 0x3800, 0x4000, 0x5000}));
  EXPECT_EQ(reporter_.messages[0].text, MailText("first", std::string(600, 'x')));
  EXPECT_EQ(reporter_.messages[2].text, MailText("orphan", std::string(900, 'y')));
  std::vector<bool> deleted;
  for (const auto& m : reporter_.messages) deleted.push_back(m.deleted);
  EXPECT_EQ(deleted, (std::vector<bool>{false, false, false, true}));
  EXPECT_EQ(reporter_.progress.back(), 100);  // stage 3 reports 100 before its last candidate
}

TEST_F(RecoveryRunTest, ProgressOfTheBlockScanFollowsTheWindows) {
  FolderBuilder folder(200000);
  Run(folder);
  auto& p = reporter_.progress;
  // stage 1 starts at 0; stage 2 at 0 and then before each window at s * 100 / length
  std::vector<int> scan(p.begin() + 1, p.begin() + 6);
  EXPECT_EQ(scan, (std::vector<int>{0, 0, 32, 65, 98}));
}

// Missing, a folder, a FIFO (never waited for), a file another program holds with
// flock or with a record lock: the run says so and reads nothing.
TEST_F(RecoveryRunTest, UnopenableFilesEndTheRunAtOnce) {
  const std::string locked = FolderBuilder().Write(dir_.Path());
  const std::string record_locked = dir_.Path() + "/record.dbx";
  std::filesystem::copy_file(locked, record_locked);
  const std::string fifo = dir_.Path() + "/pipe.dbx";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  int holder = ::open(locked.c_str(), O_RDONLY);
  ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
  // a record lock counts only when another process holds it
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t child = ::fork();
  if (child == 0) {
    const int fd = ::open(record_locked.c_str(), O_RDWR);
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    ::fcntl(fd, F_SETLK, &lock);
    char byte = 1;
    (void)::write(ready[1], &byte, 1);
    ::pause();
    ::_exit(0);
  }
  char byte;
  ASSERT_EQ(::read(ready[0], &byte, 1), 1);
  for (const std::string& path :
       {dir_.Path() + "/missing.dbx", dir_.Path(), fifo, locked, record_locked}) {
    reporter_.Reset();
    EXPECT_EQ(RunPath(path).ending, RunEnding::kCannotOpen) << path;
    EXPECT_EQ(reporter_.statuses, std::vector<std::string>{"Opening file..."}) << path;
  }
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
  ::close(holder);
  EXPECT_TRUE(reporter_.messages.empty());
  reporter_.Reset();
  EXPECT_EQ(RunPath(record_locked).ending, RunEnding::kDone);
}

TEST_F(RecoveryRunTest, StopInStageOneSkipsTheScan) {
  reporter_.stop_when = [](const auto& r) { return r.messages.size() == 1; };
  Run(MixedFolder());
  EXPECT_EQ(reporter_.messages.size(), 1u);
  EXPECT_EQ(reporter_.statuses.back(), kAborted);
  EXPECT_EQ(std::count(reporter_.statuses.begin(), reporter_.statuses.end(), kStage2), 0);
}

TEST_F(RecoveryRunTest, StopInStageTwoSkipsTheRebuild) {
  reporter_.stop_when = [](const auto& r) { return r.statuses.back() == kStage2; };
  Run(MixedFolder());
  EXPECT_EQ(reporter_.messages.size(), 2u);
  EXPECT_EQ(reporter_.statuses.back(), kAborted);
  EXPECT_EQ(std::count(reporter_.statuses.begin(), reporter_.statuses.end(), kRecovered), 0);
  EXPECT_EQ(std::count(reporter_.statuses.begin(), reporter_.statuses.end(), kStage3), 0);
}

TEST_F(RecoveryRunTest, StopInStageThreeEndsAtTheNextPoll) {
  reporter_.stop_when = [](const auto& r) { return r.messages.size() == 3; };
  Run(MixedFolder());
  EXPECT_EQ(reporter_.messages.size(), 3u);
  const auto& s = reporter_.statuses;
  ASSERT_GE(s.size(), 2u);
  EXPECT_EQ(s[s.size() - 2], kRecovered);
  EXPECT_EQ(s.back(), kAborted);
}

TEST_F(RecoveryRunTest, IndexCapacityDecidesWhichEntriesAreUsed) {
  auto folder_with = [](uint32_t count) {
    FolderBuilder folder(0x8000);
    folder.Header(count, 0x2600)
        .Node(0x2600, 0,
              {{0x2800, 0, 0}, {0x2840, 0, 0}, {0x2880, 0, 0}, {0x28C0, 0, 0}, {0x2900, 0, 0}});
    for (uint32_t i = 0; i < 5; ++i) {
      folder.Record(0x2800 + 0x40 * i, 0x3000 + 0x400 * i);
      folder.Chain({0x3000 + 0x400 * i}, MailText("m" + std::to_string(i)));
    }
    return folder;
  };
  RunIndexOnly(folder_with(3));
  EXPECT_EQ(Offsets(), (std::vector<uint64_t>{0x3000, 0x3400, 0x3800}));
  reporter_.Reset();
  // a count far beyond the tree costs nothing: slots past the tree's entries stay empty
  RunIndexOnly(folder_with(0xFFFFFFFF));
  EXPECT_EQ(Offsets().size(), 5u);
}

TEST_F(RecoveryRunTest, IndexTreeShapes) {
  FolderBuilder folder(0x8000);
  // root: (child before: node C with record R1), entry 0 names no record but has a
  // child D (R2), entries 1 and 2 both name R3, entry 3 has a record
  // without attribute 4, entry 4 a record whose attribute 4 is 0.
  folder.Header(8, 0x2600)
      .Node(0x2600, 0,
            {{0, 0x2A00, 1}, {0x2C40, 0, 0}, {0x2C40, 0, 0}, {0x2C80, 0, 0}, {0x2CC0, 0, 0}},
            0x2900, 1)
      .Node(0x2900, 0x2600, {{0x2C00, 0, 0}})
      .Node(0x2A00, 0x2600, {{0x2C20, 0, 0}})
      .Record(0x2C00, 0x3000)
      .Record(0x2C20, 0x3400)
      .Record(0x2C40, 0x3800)
      .Record(0x2CC0, 0);
  MessageInfoRecordBuilder without_first;
  without_first.AddDirect(0, 9);
  folder.Bytes(0x2C80, without_first.Build(0x2C80));
  folder.Chain({0x3000}, MailText("R1"))
      .Chain({0x3400}, MailText("R2"))
      .Chain({0x3800}, MailText("R3"));
  RunIndexOnly(folder);
  // a message named twice is listed once
  EXPECT_EQ(Offsets(), (std::vector<uint64_t>{0x3000, 0x3400, 0x3800}));
}

TEST_F(RecoveryRunTest, DamagedNodesLoseTheirSubtreeOnly) {
  FolderBuilder folder(0x8000);
  folder.Header(6, 0x2600)
      .Node(0x2600, 0, {{0x2C00, 0x2900, 1}, {0x2C20, 0x2A00, 1}, {0x2C40, 0x2600, 1}})
      .Node(0x2900, 0x2600, {{0x2C60, 0, 0}})
      .Node(0x2A00, 0x1234, {{0x2C60, 0, 0}})  // names the wrong parent
      .Record(0x2C00, 0x3000)
      .Record(0x2C20, 0x3400)
      .Record(0x2C40, 0x3800)
      .Record(0x2C60, 0x3C00);
  folder.Chain({0x3000}, MailText("a")).Chain({0x3400}, MailText("b"));
  folder.Chain({0x3800}, MailText("c")).Chain({0x3C00}, MailText("d"));
  // a node with 52 entries is ignored whole; 51 is accepted
  FolderBuilder wide = folder;
  wide.Node(0x2600, 0, {{0x2C00, 0, 0}}).Data()[0x2600 + 0x11] = 52;
  RunIndexOnly(folder);
  // root entries in order; the child pointing back at the root is refused, so the
  // walk cannot loop
  EXPECT_EQ(Offsets(), (std::vector<uint64_t>{0x3000, 0x3C00, 0x3400, 0x3800}));
  reporter_.Reset();
  RunIndexOnly(wide);
  EXPECT_TRUE(reporter_.messages.empty());
  wide.Data()[0x2600 + 0x11] = 51;
  reporter_.Reset();
  RunIndexOnly(wide);
  EXPECT_EQ(Offsets(), std::vector<uint64_t>{0x3000});
}

TEST_F(RecoveryRunTest, TreesThatNameTheSameChildOverAndOverStillEnd) {
  // every node's 51 entries all name the next node: 51^20 paths through 20 nodes
  FolderBuilder folder(0x10000);
  folder.Header(0xFFFFFFFF, 0x3000);
  for (uint32_t level = 0; level < 20; ++level) {
    const uint32_t at = 0x3000 + level * 0x300;
    const uint32_t child = level + 1 < 20 ? at + 0x300 : 0;
    engine::IndexNode node;
    node.self_offset = at;
    node.parent_offset = level == 0 ? 0 : at - 0x300;
    node.entry_count = 51;
    for (auto& e : node.entries) e = {0x2800, child, 1};
    folder.Bytes(at, node.Encode());
  }
  folder.Record(0x2800, 0x8000).Chain({0x8000}, MailText("again"));
  RunIndexOnly(folder);
  EXPECT_GT(reporter_.messages.size(), 0u);
  EXPECT_EQ(reporter_.statuses.back(), kAborted);
}

TEST_F(RecoveryRunTest, LostChainsAreRebuiltFromTheirFirstBlock) {
  FolderBuilder folder(0x30000);
  // X and Y both name E; the walk back from E goes to X, the lower offset
  folder.Chain({0x3000, 0x4000}, MailText("via X"));
  folder.Block(0x3800, 512, 10, 0x4000, std::vector<uint8_t>(10, 'Y'));
  // a block whose signature starts 6 bytes before the first window's end, and one at
  // the first offset of the third window (the second window's s + 65532)
  folder.Chain({65530}, MailText("six before the end"));
  folder.Chain({65532 * 2}, MailText("next window"));
  // single orphans: BlockSize 512 lists as existing, anything else as deleted
  folder.Chain({0x28000}, MailText("whole") + std::string(3, '\0'));
  folder.Chain({0x29000}, MailText("damaged") + std::string(3, '\0'), 100);
  Run(folder);
  std::vector<std::pair<uint64_t, bool>> got;
  for (const auto& m : reporter_.messages) got.emplace_back(m.offset, m.deleted);
  EXPECT_EQ(
      got,
      (std::vector<std::pair<uint64_t, bool>>{
          {0x3000, false}, {65530, false}, {65532 * 2, false}, {0x28000, false}, {0x29000, true}}));
  EXPECT_EQ(reporter_.messages[0].text, MailText("via X"));
  EXPECT_EQ(reporter_.messages[3].text, MailText("whole") + std::string(3, '\0'));
  EXPECT_EQ(reporter_.messages[4].text, MailText("damaged") + "___");
}

TEST_F(RecoveryRunTest, ChainsTheIndexListedAreNotRebuiltAgain) {
  Run(MixedFolder());
  const auto offsets = Offsets();
  EXPECT_EQ(std::count(offsets.begin(), offsets.end(), 0x3000), 1);
}

TEST_F(RecoveryRunTest, TinyAndEmptyFilesFindNothing) {
  for (size_t size : {0, 3, 4, 5, 100}) {
    reporter_.Reset();
    Run(FolderBuilder(size));
    EXPECT_TRUE(reporter_.messages.empty());
    EXPECT_EQ(reporter_.statuses.back(), "Repairing  done..") << size;
  }
}

}  // namespace
}  // namespace rescuva::engine
