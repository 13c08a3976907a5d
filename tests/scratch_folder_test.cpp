// Scratch folders: one of its own for every session, gone when the session ends, and
// the folders of sessions whose process ended removed by the next start.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/scratch_files.h"
#include "platform/scratch_folder.h"
#include "tests/temp_dir.h"

namespace rescuva::platform {
namespace {

namespace fs = std::filesystem;

size_t FoldersIn(const std::string& folder) {
  return static_cast<size_t>(std::distance(fs::directory_iterator(folder), {}));
}

TEST(ScratchFolder, EachSessionHasItsOwnUntilItEnds) {
  testing::TempDir dir;
  std::string first_path;
  {
    ScratchFolder first, second;
    ASSERT_TRUE(first.IsReady()) << first.Error();
    ASSERT_TRUE(second.IsReady());
    EXPECT_NE(first.Path(), second.Path());
    EXPECT_TRUE(first.Path().starts_with(PrivateTempFolder()));
    EXPECT_EQ(first.Path().back(), '/');
    std::ofstream(first.Path() + "dd.eml") << "x";
    first_path = first.Path();
    // a live session is never taken for a stale one, not even by its own process
    RemoveStaleScratchFolders();
    EXPECT_TRUE(fs::exists(first_path + "dd.eml"));
  }
  EXPECT_FALSE(fs::exists(first_path));
  EXPECT_EQ(FoldersIn(PrivateTempFolder()), 0u);
}

TEST(ScratchFolder, FoldersOfEndedProcessesAreRemoved) {
  testing::TempDir dir;
  const std::string root = PrivateTempFolder();
  // what a killed process leaves: its folder with an unheld lock, and a half-made one
  fs::create_directory(root + "session-999999-abcdef");
  std::ofstream(root + "session-999999-abcdef/.lock");
  std::ofstream(root + "session-999999-abcdef/dd.eml") << "left";
  fs::create_directory(root + "new-999999-ghijkl");
  ScratchFolder live;
  RemoveStaleScratchFolders();
  EXPECT_FALSE(fs::exists(root + "session-999999-abcdef"));
  EXPECT_FALSE(fs::exists(root + "new-999999-ghijkl"));
  EXPECT_TRUE(fs::exists(live.Path()));
  RemoveOwnScratchFolders();
  EXPECT_FALSE(fs::exists(live.Path()));
}

// Another user's folder (or a link) where this user's belongs: every start takes the
// same next name, so what a killed run left there is found and removed.
TEST(ScratchFolder, ASquattedNameGivesTheSameFallbackToEveryStart) {
  testing::TempDir dir;
  const std::string squatted = dir.Path() + "/rescuva-" + std::to_string(::geteuid());
  fs::create_symlink(dir.Path(), squatted);
  const std::string fallback = PrivateTempFolder();
  EXPECT_EQ(fallback, squatted + "-1/");
  EXPECT_EQ(PrivateTempFolder(), fallback);
  fs::create_directory(fallback + "session-999999-abcdef");
  std::ofstream(fallback + "session-999999-abcdef/.lock");
  RemoveStaleScratchFolders();
  EXPECT_FALSE(fs::exists(fallback + "session-999999-abcdef"));
  EXPECT_EQ(FoldersIn(dir.Path()), 2u);  // the link and the fallback, nothing per run
}

// A temporary folder that takes no folder: the session says why, and its path is
// one where nothing can be written.
TEST(ScratchFolder, AnUnusableTemporaryFolderIsReported) {
  testing::TempDir dir;
  const std::string file = dir.Path() + "/not-a-folder";
  std::ofstream(file) << "x";
  setenv("TMPDIR", file.c_str(), 1);
  ScratchFolder scratch;
  EXPECT_FALSE(scratch.IsReady());
  EXPECT_FALSE(scratch.Error().empty());
  OutputFile out;
  EXPECT_FALSE(out.Create(scratch.Path() + "dd.eml", false));
}

}  // namespace
}  // namespace rescuva::platform
