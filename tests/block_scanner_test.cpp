// The block scan over a source that fails part way: what was read before the failure
// is kept, the scan says it did not read everything, and nothing breaks. The source's
// digests, taken on the way or by reading it again whole, are those of every byte,
// holes and last bytes included.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "engine/block_scanner.h"
#include "engine/byte_order.h"
#include "engine/source_digester.h"

namespace rescuva::engine {
namespace {

// Five chunks of zeros with a block at its own offset in each (and 0 holding 0 at the
// start); reads reaching past `fails_from` fail.
class FailingSource : public platform::ByteSource {
 public:
  explicit FailingSource(uint64_t fails_from) : fails_from_(fails_from) {}
  uint64_t Length() const override { return 5 * BlockScanner::kChunkSize; }
  bool ReadAt(uint64_t position, std::span<uint8_t> out) const override {
    if (position + out.size() > fails_from_ && position < Length()) return false;
    std::memset(out.data(), 0, out.size());
    for (uint64_t chunk = 0; chunk < 5; ++chunk) {
      const uint64_t block = chunk * BlockScanner::kChunkSize + 0x3000;
      if (block >= position && block + 4 <= position + out.size()) {
        StoreLe32(out.data() + (block - position), static_cast<uint32_t>(block));
      }
    }
    return true;
  }

 private:
  uint64_t fails_from_;
};

TEST(BlockScanner, AReadThatFailsEndsTheFindingsThere) {
  const FailingSource whole(UINT64_MAX);
  ScanFindings all = BlockScanner::Scan(whole, [](uint64_t) { return true; });
  EXPECT_TRUE(all.read);
  EXPECT_EQ(all.candidates.size(), 6u);

  const FailingSource failing(3 * BlockScanner::kChunkSize - 100);
  ScanFindings some = BlockScanner::Scan(failing, [](uint64_t) { return true; });
  EXPECT_FALSE(some.read);
  ASSERT_EQ(some.candidates.size(), 3u);  // the chunks before the failing one
  EXPECT_EQ(some.candidates.back().offset, BlockScanner::kChunkSize + 0x3000);

  uint64_t asked = 0;
  BlockScanner::Scan(whole, [&](uint64_t) { return ++asked < 2; });  // stopped
  EXPECT_EQ(asked, 2u);
}

// Bytes in memory; zero runs are holes the scan may skip, as a sparse file's.
class MemorySource : public platform::ByteSource {
 public:
  explicit MemorySource(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
  uint64_t Length() const override { return bytes_.size(); }
  bool ReadAt(uint64_t position, std::span<uint8_t> out) const override {
    for (size_t i = 0; i < out.size(); ++i) {
      out[i] = position + i < bytes_.size() ? bytes_[position + i] : 0;
    }
    return true;
  }
  uint64_t NextData(uint64_t position) const override {
    while (position < bytes_.size() && bytes_[position] == 0) ++position;
    return position;
  }

 private:
  std::vector<uint8_t> bytes_;
};

std::vector<uint8_t> Noise(size_t size, size_t hole_from, size_t hole_to) {
  std::mt19937 random(7);
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = i >= hole_from && i < hole_to ? 0 : random();
  return bytes;
}

TEST(BlockScanner, DigestsEveryByteOfTheSource) {
  constexpr size_t kChunk = BlockScanner::kChunkSize;
  const std::vector<uint8_t> sources[] = {
      {1, 2, 3},                                  // too short to scan
      Noise(kChunk + 3, 0, 0),                    // its last bytes past the last chunk's scan
      Noise(5 * kChunk + 7, kChunk, 4 * kChunk),  // three chunks of a hole not read
      Noise(2 * kChunk, 0, 2 * kChunk - 1),       // all hole but the last byte
  };
  for (const auto& bytes : sources) {
    const MemorySource source(bytes);
    const ScanFindings findings = BlockScanner::Scan(
        source, [](uint64_t) { return true; }, true);
    EXPECT_EQ(findings.digests, platform::DigestsOf(bytes)) << bytes.size();
    EXPECT_TRUE(BlockScanner::Scan(source, [](uint64_t) { return true; }).digests.Empty());
    platform::DigestSet again;
    uint64_t read = 0;
    EXPECT_EQ(DigestWholeSource(
                  source, [&](uint64_t bytes) { return (read += bytes) > 0; }, again),
              RunEnding::kDone);
    EXPECT_EQ(again, findings.digests);
    EXPECT_EQ(read, bytes.size());
  }
  // a scan stopped or failing has read no whole source to digest
  const MemorySource noise(Noise(4 * kChunk, 0, 0));
  EXPECT_TRUE(BlockScanner::Scan(
                  noise, [](uint64_t done) { return done < kChunk; }, true)
                  .digests.Empty());
  const FailingSource failing(3 * kChunk - 100);
  EXPECT_TRUE(BlockScanner::Scan(
                  failing, [](uint64_t) { return true; }, true)
                  .digests.Empty());
  platform::DigestSet digests;
  EXPECT_EQ(DigestWholeSource(
                noise, [](uint64_t) { return false; }, digests),
            RunEnding::kStopped);
  EXPECT_TRUE(digests.Empty());
  EXPECT_EQ(DigestWholeSource(
                failing, [](uint64_t) { return true; }, digests),
            RunEnding::kReadError);
  EXPECT_TRUE(digests.Empty());
}

TEST(Digests, KnownValues) {
  const std::string abc = "abc";
  const auto digests = platform::DigestsOf({reinterpret_cast<const uint8_t*>(abc.data()), 3});
  EXPECT_EQ(digests.md5, "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(digests.sha1, "a9993e364706816aba3e25717850c26c9cd0d89d");
  EXPECT_EQ(digests.sha256, "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

}  // namespace
}  // namespace rescuva::engine
