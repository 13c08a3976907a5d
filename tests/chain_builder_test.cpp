// Chains built from blocks found away from their own offsets, without any file: which
// next block the evidence names, where two pieces meet, and how each chain ends.
#include <gtest/gtest.h>

#include "engine/chain_builder.h"

namespace rescuva::engine {
namespace {

// A run of blocks at `shift`, each naming the next; the last names `last_next`.
std::vector<PlacedBlock> Blocks(uint32_t first, int count, int64_t shift, uint32_t last_next = 0) {
  std::vector<PlacedBlock> blocks;
  for (int i = 0; i < count; ++i) {
    const uint32_t own = first + static_cast<uint32_t>(i) * 0x210;
    blocks.push_back(
        {static_cast<uint64_t>(own + shift), own, i + 1 < count ? own + 0x210 : last_next});
  }
  return blocks;
}

std::vector<PlacedBlock> Join(std::vector<PlacedBlock> a, const std::vector<PlacedBlock>& b) {
  a.insert(a.end(), b.begin(), b.end());
  std::sort(a.begin(), a.end(),
            [](const PlacedBlock& x, const PlacedBlock& y) { return x.position < y.position; });
  return a;
}

TEST(ChainBuilder, TakesTheNextBlockOnlyWhereTheEvidenceNamesIt) {
  // one block names 0x5000, which two blocks elsewhere claim to be
  std::vector<PlacedBlock> blocks = {{0x100000, 0x3000, 0x5000, 0, false},
                                     {0x200000, 0x5000, 0, 0x7777, true},
                                     {0x300000, 0x5000, 0, 0x3000, true}};
  ChainBuilder backed(blocks, {});
  auto chain = backed.Follow(0x3000, 0x100000 - 0x3000);
  ASSERT_TRUE(chain);
  ASSERT_EQ(chain->places.size(), 2u);
  EXPECT_EQ(chain->places[1].position, 0x300000u);  // its back-pointer names the block before
  EXPECT_EQ(chain->end, ChainEnd::kWhole);

  blocks[2].back = 0x7777;
  chain = ChainBuilder(blocks, {}).Follow(0x3000, 0x100000 - 0x3000);
  ASSERT_TRUE(chain);
  EXPECT_EQ(chain->places.size(), 1u);
  EXPECT_EQ(chain->end, ChainEnd::kNextAmbiguous);

  blocks.pop_back();  // one candidate: taken
  EXPECT_EQ(ChainBuilder(blocks, {}).Follow(0x3000, 0x100000 - 0x3000)->places.size(), 2u);
  blocks.pop_back();  // none
  EXPECT_EQ(ChainBuilder(blocks, {}).Follow(0x3000, 0x100000 - 0x3000)->end,
            ChainEnd::kNextMissing);
  EXPECT_FALSE(ChainBuilder(blocks, {}).Follow(0x3210, 0x100000 - 0x3000));
}

// The file system cut the file at own offset 0x4000: the block that starts before it
// is read across the seam, from where the next piece begins.
TEST(ChainBuilder, ABlockCutWhereTwoPiecesMeetIsReadAcrossTheSeam) {
  constexpr int64_t kFirst = 0x900000, kSecond = 0x100000;
  const auto blocks = Join(Blocks(0x3000, 8, kFirst, 0x4080), Blocks(0x4080, 3, kSecond));
  ChainBuilder builder(blocks, {});
  ASSERT_EQ(builder.Pieces().size(), 2u);
  const auto chain = builder.Follow(0x3000, kFirst);
  ASSERT_TRUE(chain);
  ASSERT_EQ(chain->places.size(), 11u);
  EXPECT_EQ(chain->end, ChainEnd::kWhole);
  const BlockPlace cut = chain->places[7];  // own 0x3E70
  EXPECT_EQ(cut.position, 0x3E70u + kFirst);
  EXPECT_EQ(cut.head, 0x4000u - 0x3E70u);
  EXPECT_EQ(cut.rest, 0x4000u + kSecond);
  EXPECT_EQ(chain->places[6].head, kBlockSpan);
}

// The seam cuts a block's header: the scan could not see that block, and the builder
// says where its bytes lie so that it can be read and joined in.
TEST(ChainBuilder, ABlockWhoseHeaderTheSeamCutIsFoundAgain) {
  constexpr int64_t kFirst = 0x500000, kSecond = 0x800000;
  auto before = Blocks(0x2108, 15, kFirst, 0x3FF8);
  auto after = Blocks(0x4208, 2, kSecond);
  ChainBuilder builder(Join(before, after), {});
  ASSERT_EQ(builder.Hidden().size(), 1u);
  const HiddenBlock hidden = builder.Hidden()[0];
  EXPECT_EQ(hidden.own, 0x3FF8u);
  EXPECT_EQ(hidden.place.position, 0x3FF8u + kFirst);
  EXPECT_EQ(hidden.place.head, 8u);
  EXPECT_EQ(hidden.place.rest, 0x4000u + kSecond);
  EXPECT_EQ(builder.Follow(0x2108, kFirst)->end, ChainEnd::kNextMissing);
  builder.AddHidden({PlacedBlock{hidden.place.position, 0x3FF8, 0x4208, 0, false}});
  const auto chain = builder.Follow(0x2108, kFirst);
  EXPECT_EQ(chain->places.size(), 18u);
  EXPECT_EQ(chain->places[15], hidden.place);
  EXPECT_EQ(chain->end, ChainEnd::kWhole);
}

TEST(ChainBuilder, RebuiltChainsSayHowTheyEnd) {
  constexpr int64_t kShift = 0x700000;
  auto whole = Blocks(0x3000, 3, kShift);
  auto broken = Blocks(0x8000, 2, kShift, 0x20000);  // names a block found nowhere
  auto tail = Blocks(0xA000, 2, kShift);
  for (auto& block : tail) block.freed = true, block.back = block.own - 0x210;  // front lost
  tail[0].back = 0x9000;
  auto known = Blocks(0xC000, 2, kShift);
  ChainBuilder builder(Join(Join(whole, broken), Join(tail, known)), {0x700000});
  PositionSet listed;
  for (const auto& block : known) listed.Insert(block.position);
  std::vector<BuiltChain> chains;
  builder.Rebuild(
      listed, [] { return false; }, [&](BuiltChain chain) { chains.push_back(chain); });
  ASSERT_EQ(chains.size(), 3u);
  EXPECT_EQ(chains[0].places.size(), 3u);
  EXPECT_EQ(chains[0].end, ChainEnd::kWhole);
  EXPECT_EQ(chains[1].places.front().position, 0xA000u + kShift);
  EXPECT_EQ(chains[1].end, ChainEnd::kFrontMissing);
  EXPECT_EQ(chains[2].places.size(), 2u);
  EXPECT_EQ(chains[2].end, ChainEnd::kNextMissing);
}

// A crafted source where thousands of blocks name one offset that thousands of others
// claim: each step weighs a bounded number of them, none is guessed, and every block
// is listed once, as cut.
TEST(ChainBuilder, ManyBlocksClaimingOneOffsetAreNotGuessedBetween) {
  std::vector<PlacedBlock> blocks;
  for (uint64_t i = 0; i < 60000; ++i) {
    blocks.push_back({0x100000 + i * 0x1000, i % 2 ? 0x5000u : 0x3000u, i % 2 ? 0u : 0x5000u});
  }
  ChainBuilder builder(blocks, {});
  PositionSet known;
  size_t listed = 0;
  builder.Rebuild(
      known, [] { return false; },
      [&](BuiltChain chain) {
        listed += chain.places.size();
        EXPECT_NE(chain.end, ChainEnd::kWhole);
      });
  EXPECT_EQ(listed, blocks.size());
  EXPECT_EQ(builder.Follow(0x3000, 0x100000 - 0x3000)->end, ChainEnd::kNextAmbiguous);
}

// As many pieces that could each go on where any other ends: none is joined.
TEST(ChainBuilder, ManyPiecesThatCouldFollowOneAnotherAreNotJoined) {
  std::vector<PlacedBlock> blocks;
  for (uint64_t i = 0; i < 40000; ++i) {
    const auto own = static_cast<uint32_t>(0x3000 + i % 2 * 0x420);
    blocks.push_back({0x100000 + i * 0x1000, own, 0});
  }
  ChainBuilder builder(blocks, {});
  for (const Piece& piece : builder.Pieces()) EXPECT_FALSE(piece.follower);
  EXPECT_TRUE(builder.Hidden().empty());
}

}  // namespace
}  // namespace rescuva::engine
