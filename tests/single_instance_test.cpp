// One copy per machine: a second holder of the lock is refused until the first ends,
// and only a running copy ever refuses a start.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/single_instance.h"
#include "tests/temp_dir.h"

namespace rescuva::platform {
namespace {

constexpr const char* kName = "{719967F0-DCC6-49b5-9C61-DE91175C3187}";

// The machine's lock and the session's: a copy holding either refuses a start.
TEST(SingleInstance, SecondCopyIsRefusedUntilTheFirstEnds) {
  testing::TempDir machine, session;
  const std::vector<std::string> both{machine.Path() + "/", session.Path() + "/"};
  auto first = std::make_unique<SingleInstance>(kName, both);
  EXPECT_TRUE(first->First());
  EXPECT_FALSE(SingleInstance(kName, both).First());
  EXPECT_FALSE(SingleInstance(kName, {session.Path() + "/"}).First());
  first.reset();
  EXPECT_TRUE(SingleInstance(kName, both).First());
}

// Where the locks lie does not follow TMPDIR: a copy started with another TMPDIR meets
// the first one's locks.
TEST(SingleInstance, TheLocksDoNotFollowTmpdir) {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  const std::string kept_runtime = runtime ? runtime : "";
  testing::TempDir session;
  setenv("XDG_RUNTIME_DIR", session.Path().c_str(), 1);
  std::vector<std::string> folders;
  {
    testing::TempDir one;
    folders = SingleInstance::LockFolders();
  }
  {
    testing::TempDir other;
    EXPECT_EQ(SingleInstance::LockFolders(), folders);
  }
  EXPECT_EQ(folders, (std::vector<std::string>{"/tmp/", session.Path() + "/"}));
  // a runtime folder that is not the user's own is not trusted with the lock
  testing::TempDir others;
  std::string foreign = "/";
  if (::geteuid() == 0) {
    ASSERT_EQ(::chown(others.Path().c_str(), 65534, 65534), 0);
    foreign = others.Path();
  }
  setenv("XDG_RUNTIME_DIR", foreign.c_str(), 1);
  EXPECT_NE(SingleInstance::LockFolders().back(), foreign + "/");
  if (kept_runtime.empty()) {
    unsetenv("XDG_RUNTIME_DIR");
  } else {
    setenv("XDG_RUNTIME_DIR", kept_runtime.c_str(), 1);
  }
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
    SingleInstance first(kName, {dir.Path() + "/"});
    EXPECT_TRUE(first.First()) << variant;
    EXPECT_FALSE(SingleInstance(kName, {dir.Path() + "/"}).First()) << variant;
    if (variant == 2) {
      EXPECT_FALSE(std::filesystem::exists(dir.Path() + "/elsewhere"));
    }
  }
}

}  // namespace
}  // namespace rescuva::platform
