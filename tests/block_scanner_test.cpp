// The block scan over a source that fails part way: what was read before the failure
// is kept, the scan says it did not read everything, and nothing breaks.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/block_scanner.h"
#include "engine/byte_order.h"

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

}  // namespace
}  // namespace rescuva::engine
