// Following block chains into files: lengths, the damage repair, chains cut off by the
// end of the file, chains that loop, and the scratch name's fallbacks.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "engine/dbx_recovery_engine.h"
#include "platform/scratch_files.h"
#include "tests/folder_builder.h"
#include "tests/recording_reporter.h"
#include "tests/temp_dir.h"

namespace rescuva::engine {
namespace {

using testing::FolderBuilder;
using testing::ReadFileBytes;

class ExtractionTest : public ::testing::Test {
 protected:
  // Opens the built file in a fresh engine.
  DbxRecoveryEngine& Open(const FolderBuilder& folder) {
    engine_ = std::make_unique<DbxRecoveryEngine>(reporter_, platform::PrivateTempFolder());
    EXPECT_TRUE(engine_->OpenSource(folder.Write(dir_.Path())));
    return *engine_;
  }
  std::string Out(const std::string& name = "out.eml") const { return dir_.Path() + "/" + name; }

  testing::TempDir dir_;
  testing::RecordingReporter reporter_;
  std::unique_ptr<DbxRecoveryEngine> engine_;
};

std::vector<uint8_t> Pattern(size_t n) {
  std::vector<uint8_t> bytes(n);
  for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<uint8_t>(i % 3 == 0 ? 0 : 'a' + i % 26);
  return bytes;
}

TEST_F(ExtractionTest, ThreeBlocksAreCopiedUnchangedOrRepairedWhenDamaged) {
  auto data = Pattern(1124);
  for (uint32_t last_size : {512u, 0u}) {
    FolderBuilder folder;
    folder.Block(0x3000, 512, 512, 0x4000, std::span(data).first(512))
        .Block(0x4000, 512, 512, 0x5000, std::span(data).subspan(512, 512))
        .Block(0x5000, last_size, 100, 0, std::span(data).subspan(1024));
    bool damaged = true;
    ASSERT_TRUE(Open(folder).ExtractToFile(Out(), 0x3000, Repair::kNulOnly, &damaged));
    auto expected = data;
    if (last_size != 512) std::replace(expected.begin(), expected.end(), uint8_t{0}, uint8_t{'_'});
    EXPECT_EQ(damaged, last_size != 512);
    EXPECT_EQ(ReadFileBytes(Out()), expected);
  }
}

TEST_F(ExtractionTest, OversizedBlocksAndTheEndOfTheFile) {
  FolderBuilder folder(0x2000);
  auto data = Pattern(700);
  // a block claiming 700 bytes contributes 512
  folder.Block(0x1000, 512, 700, 0, data);
  // a last block whose data runs 10 bytes past the end of the file
  folder.Block(0x1400, 512, 512, 0x1E00, std::span(data).first(512));
  folder.Block(0x1E00, 512, 0x1FA, 0, std::vector<uint8_t>(0x1F0, 'x'));
  Open(folder);
  ASSERT_TRUE(engine_->ExtractToFile(Out("a"), 0x1000));
  EXPECT_EQ(ReadFileBytes(Out("a")), std::vector<uint8_t>(data.begin(), data.begin() + 512));
  ASSERT_TRUE(engine_->ExtractToFile(Out("b"), 0x1400));
  auto expected = std::vector<uint8_t>(data.begin(), data.begin() + 512);
  expected.insert(expected.end(), 0x1F0, 'x');
  expected.insert(expected.end(), 10, 0);
  EXPECT_EQ(ReadFileBytes(Out("b")), expected);
}

TEST_F(ExtractionTest, BlockSixteenBytesBeforeTheEnd) {
  for (uint32_t block_size : {512u, 7u}) {
    FolderBuilder folder(0x1010);
    folder.Le32(0x1000, 0x1000).Le32(0x1004, block_size).Le32(0x1008, 40);
    ASSERT_TRUE(Open(folder).ExtractToFile(Out(), 0x1000));
    EXPECT_EQ(ReadFileBytes(Out()), std::vector<uint8_t>(40, block_size == 512 ? 0 : '_'));
  }
}

TEST_F(ExtractionTest, ChainsWithoutDataWriteNothing) {
  FolderBuilder folder(0x2000);
  folder.Block(0x1000, 512, 0, 0x1100).Block(0x1100, 512, 0, 0);
  Open(folder);
  for (uint64_t first : {uint64_t{0}, uint64_t{0x1000}, uint64_t{0x9000}}) {
    EXPECT_FALSE(engine_->ExtractToFile(Out(), first));
    EXPECT_FALSE(std::filesystem::exists(Out()));
  }
  std::string name = "dd.eml";
  EXPECT_FALSE(engine_->ExtractToTempFolder(engine_->TempFolder(), name, 0x1000));
}

TEST_F(ExtractionTest, LoopingChainsEndAtTheFirstBlockVisitedAgain) {
  FolderBuilder folder(0x4000);
  auto data = Pattern(512);
  // A -> B -> C -> B: A, B and C once each
  folder.Block(0x1000, 512, 512, 0x1400, data).Block(0x1400, 512, 512, 0x1800, data);
  folder.Block(0x1800, 100, 10, 0x1400, data);
  // a block naming itself
  folder.Block(0x2000, 512, 5, 0x2000, data);
  Open(folder);
  bool damaged = false;
  ASSERT_TRUE(engine_->ExtractToFile(Out(), 0x1000, Repair::kNulOnly, &damaged));
  EXPECT_EQ(ReadFileBytes(Out()).size(), 1034u);
  EXPECT_TRUE(damaged);  // the last block read before the repeat is C
  ASSERT_TRUE(engine_->ExtractToFile(Out(), 0x2000));
  EXPECT_EQ(ReadFileBytes(Out()).size(), 5u);
}

TEST_F(ExtractionTest, LongChainsAreCopiedBlockByBlock) {
  // more text than is gathered in memory: the copy pass reads the chain again
  constexpr uint32_t kBlocks = 9000;
  FolderBuilder folder(0x1000 + kBlocks * 0x210);
  std::vector<uint8_t> expected;
  for (uint32_t i = 0; i < kBlocks; ++i) {
    std::vector<uint8_t> data(512, static_cast<uint8_t>('a' + i % 26));
    const uint32_t at = 0x1000 + i * 0x210;
    folder.Block(at, 512, 512, i + 1 < kBlocks ? at + 0x210 : 0, data);
    expected.insert(expected.end(), data.begin(), data.end());
  }
  std::string name = "dd.eml";
  ASSERT_TRUE(Open(folder).ExtractToTempFolder(engine_->TempFolder(), name, 0x1000));
  EXPECT_EQ(ReadFileBytes(engine_->TempFolder() + name), expected);
  // a shorter message written over it leaves nothing of the longer one behind
  ASSERT_TRUE(
      engine_->ExtractToTempFolder(engine_->TempFolder(), name, 0x1000 + (kBlocks - 1) * 0x210));
  EXPECT_EQ(ReadFileBytes(engine_->TempFolder() + name).size(), 512u);
}

TEST_F(ExtractionTest, ScratchNameFallsBackWhenTheFileCannotBeReplaced) {
  FolderBuilder folder;
  folder.Chain({0x3000}, "Subject: x\r\n\r\nbody");
  Open(folder);
  const std::string scratch = engine_->TempFolder();
  ASSERT_EQ(scratch.back(), '/');
  // a folder in the scratch file's place cannot be deleted
  std::filesystem::create_directories(scratch + "dd.eml/held");
  std::string name = "dd.eml";
  ASSERT_TRUE(engine_->ExtractToTempFolder(scratch, name, 0x3000));
  EXPECT_EQ(name, "0dd.eml");
  EXPECT_EQ(testing::ReadFileText(scratch + name), "Subject: x\r\n\r\nbody");
  std::filesystem::remove(scratch + "0dd.eml");
  std::filesystem::create_directories(scratch + "0dd.eml/held");
  name = "dd.eml";
  // a folder argument without the separator gets one
  ASSERT_TRUE(engine_->ExtractToTempFolder(scratch.substr(0, scratch.size() - 1), name, 0x3000));
  EXPECT_EQ(name, "1dd.eml");
}

TEST_F(ExtractionTest, ScratchFilesNeverFollowLinks) {
  FolderBuilder folder;
  folder.Chain({0x3000}, "Subject: x\r\n\r\nbody");
  Open(folder);
  const std::string target = dir_.Path() + "/victim";
  { std::ofstream(target) << "keep"; }
  std::filesystem::create_symlink(target, engine_->TempFolder() + "dd.eml");
  std::string name = "dd.eml";
  ASSERT_TRUE(engine_->ExtractToTempFolder(engine_->TempFolder(), name, 0x3000));
  EXPECT_EQ(testing::ReadFileText(target), "keep");
  EXPECT_FALSE(std::filesystem::is_symlink(engine_->TempFolder() + name));
  // ExtractToFile refuses a link in the caller's path
  std::filesystem::create_symlink(target, dir_.Path() + "/link");
  EXPECT_FALSE(engine_->ExtractToFile(dir_.Path() + "/link", 0x3000));
  EXPECT_EQ(testing::ReadFileText(target), "keep");
}

}  // namespace
}  // namespace rescuva::engine
