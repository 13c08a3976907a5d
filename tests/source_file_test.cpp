// A source file reads its bytes wherever they are asked for, from its mapping or
// from the file, and a file that shrinks under it reads as zeros past its new end
// instead of ending the program.
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/guarded_copy.h"
#include "platform/source_file.h"
#include "tests/temp_dir.h"

namespace rescuva::platform {
namespace {

using testing::TempDir;

std::vector<uint8_t> Pattern(size_t size) {
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i * 7 + i / 251);
  return bytes;
}

void Write(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> Read(const SourceFile& file, uint64_t at, size_t size, bool* ok = nullptr) {
  std::vector<uint8_t> out(size, 0xEE);
  const bool read = file.ReadAt(at, out);
  if (ok) *ok = read;
  return out;
}

// What a read of the pattern at `at` must give: past the end, zeros.
std::vector<uint8_t> Expected(const std::vector<uint8_t>& bytes, uint64_t at, size_t size) {
  std::vector<uint8_t> out(size, 0);
  for (size_t i = 0; i < size && at + i < bytes.size(); ++i) out[i] = bytes[at + i];
  return out;
}

TEST(SourceFileTest, ReadsOfEverySizeGiveTheFilesBytesAndZerosPastItsEnd) {
  TempDir dir;
  const std::string path = dir.Path() + "/f.bin";
  const auto bytes = Pattern(300'000);
  Write(path, bytes);
  SourceFile file;
  ASSERT_TRUE(file.Open(path));
  for (uint64_t at : {0ul, 1ul, 4095ul, 65536ul, 299'000ul, 299'999ul, 300'000ul, 400'000ul}) {
    for (size_t size : {1ul, 528ul, 4096ul, 65536ul, 65537ul, 200'000ul}) {
      bool ok = false;
      EXPECT_EQ(Read(file, at, size, &ok), Expected(bytes, at, size)) << at << " " << size;
      EXPECT_TRUE(ok);
    }
  }
  file.Close();
  std::vector<uint8_t> out(16);
  EXPECT_FALSE(file.ReadAt(0, out));
}

// Another program may cut the file while it is read (a lock does not stop it): the
// pages it no longer holds read as zeros, on any thread, and the rest as before.
TEST(SourceFileTest, AFileCutWhileOpenReadsAsZerosPastItsNewEnd) {
#if defined(__has_feature)
#if __has_feature(thread_sanitizer)
  GTEST_SKIP() << "ThreadSanitizer ends the program on a bus error on another thread";
#endif
#endif
  TempDir dir;
  const std::string path = dir.Path() + "/f.bin";
  const auto bytes = Pattern(1 << 20);
  Write(path, bytes);
  SourceFile file;
  ASSERT_TRUE(file.Open(path));
  ASSERT_EQ(Read(file, 900'000, 528), Expected(bytes, 900'000, 528));
  std::filesystem::resize_file(path, 8192);
  const auto cut = std::vector<uint8_t>(bytes.begin(), bytes.begin() + 8192);
  std::vector<std::thread> readers;
  for (int t = 0; t < 3; ++t) {
    readers.emplace_back([&, t] {
      for (uint64_t at = 4096 + t; at < (1 << 20); at += 40'000) {
        EXPECT_EQ(Read(file, at, 528), Expected(cut, at, 528)) << at;
      }
    });
  }
  for (auto& reader : readers) reader.join();
  EXPECT_EQ(Read(file, 100, 528), Expected(bytes, 100, 528));
}

// A page the file lost fails a guarded copy; a bus error elsewhere still ends the
// program.
TEST(SourceFileDeathTest, ABusErrorOutsideACopyIsNotSwallowed) {
  TempDir dir;
  const std::string path = dir.Path() + "/f.bin";
  Write(path, Pattern(8192));
  std::vector<uint8_t> out(16);
  const int fd = ::open(path.c_str(), O_RDWR);
  ASSERT_GE(fd, 0);
  auto* mapped =
      static_cast<volatile uint8_t*>(::mmap(nullptr, 8192, PROT_READ, MAP_SHARED, fd, 0));
  ASSERT_NE(static_cast<void*>(const_cast<uint8_t*>(mapped)), MAP_FAILED);
  EXPECT_TRUE(GuardedCopy(out.data(), const_cast<uint8_t*>(mapped) + 4096, 16));
  ASSERT_EQ(::ftruncate(fd, 0), 0);
  EXPECT_FALSE(GuardedCopy(out.data(), const_cast<uint8_t*>(mapped) + 4096, 16));
  EXPECT_DEATH(out[0] = mapped[4096], "");
  ::munmap(const_cast<uint8_t*>(mapped), 8192);
  ::close(fd);
}

}  // namespace
}  // namespace rescuva::platform
