// FAT32 disk images for the tests, made without mounting anything: a partition table
// (sfdisk), the file system 1 MiB in (mkfs.fat) and files copied in and deleted with
// mtools.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace rescuva::testing {

// Runs a shell command quietly; a failure fails the test.
inline void Shell(const std::string& command) {
  ASSERT_EQ(std::system((command + " >/dev/null 2>&1").c_str()), 0) << command;
}

class FatImage {
 public:
  // An 80 MiB image at `path` with one FAT32 partition.
  explicit FatImage(std::string path) : path_(std::move(path)) {
    setenv("MTOOLS_SKIP_CHECK", "1", 1);
    Shell("truncate -s 80M '" + path_ + "'");
    Shell("printf 'label: dos\\nstart=2048, type=c\\n' | sfdisk -q '" + path_ + "'");
    Shell("mkfs.fat -F 32 --offset 2048 '" + path_ + "'");
  }
  const std::string& Path() const { return path_; }

  // mtools on the file system, 1 MiB in.
  void Mtools(const std::string& tool, const std::string& args) const {
    Shell(tool + " -i '" + path_ + "@@1M' " + args);
  }
  // The folder `path` and those above it; a folder made before is no failure.
  void MakeFolders(const std::string& path) const {
    std::string at;
    for (const auto& part : std::filesystem::path(path)) {
      if (part == "/") continue;
      at += "/" + part.string();
      std::system(("mmd -i '" + path_ + "@@1M' '::" + at + "' >/dev/null 2>&1").c_str());
    }
  }
  void Copy(const std::string& file, const std::string& to) const {
    Mtools("mcopy", "'" + file + "' '::" + to + "'");
  }
  void Delete(const std::string& path) const { Mtools("mdel", "'::" + path + "'"); }
  // mtools allocates from the file system's next-free hint; cleared, the next copy
  // takes the first free cluster (a hole a deleted file left).
  void ForgetNextFreeHint() const {
    Shell("printf '\\377\\377\\377\\377' | dd of='" + path_ +
          "' bs=1 seek=" + std::to_string((1 << 20) + 512 + 0x1EC) + " conv=notrunc");
  }

 private:
  std::string path_;
};

}  // namespace rescuva::testing
