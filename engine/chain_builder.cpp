#include "engine/chain_builder.h"

#include <algorithm>
#include <unordered_set>

#include "engine/message_block.h"

namespace rescuva::engine {
namespace {

// File systems store files in clusters of a power of two bytes, at least a sector:
// where two pieces meet, the boundary is the most aligned offset between the end of
// the last header seen in one and the first header of the other.
uint32_t MostAligned(uint32_t after, uint32_t upto) {
  for (int bit = 31; bit >= 9; --bit) {
    const uint32_t step = uint32_t{1} << bit;
    const uint32_t at = upto / step * step;
    if (at > after) return at;
  }
  return upto;
}

// At most this many blocks are weighed as a chain's next or previous one: more that
// claim one offset are a crafted source, and none of them is taken.
constexpr size_t kMostChoices = 64;

}  // namespace

ChainBuilder::ChainBuilder(std::vector<PlacedBlock> blocks, const std::vector<uint64_t>& headers)
    : blocks_(std::move(blocks)), headers_(headers) {
  FindPieces();
  JoinPieces();
  FindGaps();
  Index();
}

void ChainBuilder::FindPieces() {
  piece_of_.resize(blocks_.size());
  for (size_t i = 0; i < blocks_.size(); ++i) {
    if (pieces_.empty() || pieces_.back().shift != blocks_[i].Shift()) {
      pieces_.push_back({blocks_[i].Shift(), i, i, blocks_[i].own, blocks_[i].own, {}, {}});
    }
    Piece& piece = pieces_.back();
    piece.end = i + 1;
    piece.last_own = std::max(piece.last_own, blocks_[i].own);
    piece_of_[i] = static_cast<uint32_t>(pieces_.size() - 1);
  }
}

// A piece goes on in the one piece whose first block follows its last, right after it
// or after one block whose header the seam hid. That piece's start is where the first
// one ends: its last block, or the hidden one, is read across the seam.
void ChainBuilder::JoinPieces() {
  std::vector<size_t> by_first(pieces_.size());
  for (size_t p = 0; p < pieces_.size(); ++p) by_first[p] = p;
  std::sort(by_first.begin(), by_first.end(),
            [&](size_t a, size_t b) { return pieces_[a].first_own < pieces_[b].first_own; });
  std::vector<int> leaders(pieces_.size(), 0);
  std::vector<std::optional<size_t>> follower(pieces_.size());
  for (size_t a = 0; a < pieces_.size(); ++a) {
    const uint64_t from = uint64_t{pieces_[a].last_own} + kBlockSpacing;
    const uint64_t to = from + kBlockSpacing;
    auto it = std::lower_bound(by_first.begin(), by_first.end(), from,
                               [&](size_t p, uint64_t own) { return pieces_[p].first_own < own; });
    std::optional<size_t> only;
    int count = 0;
    // two candidates already make it no one's: the rest are not counted
    for (; it != by_first.end() && pieces_[*it].first_own <= to && count < 2; ++it) {
      if (*it != a) only = *it, ++count;
    }
    if (count == 1) follower[a] = only, ++leaders[*only];
  }
  for (size_t a = 0; a < pieces_.size(); ++a) {
    if (!follower[a] || leaders[*follower[a]] != 1) continue;
    Piece& first = pieces_[a];
    Piece& second = pieces_[*follower[a]];
    first.follower = *follower[a];
    second.leader = a;
    const uint32_t boundary = MostAligned(first.last_own + kBlockHeaderSize, second.first_own);
    const auto rest = static_cast<uint64_t>(int64_t{boundary} + second.shift);
    const uint32_t last = first.last_own;
    if (boundary < last + kBlockSpan) {
      const size_t block = first.end - 1;
      split_[block] = {blocks_[block].position, rest, boundary - last};
    } else if (second.first_own > last + kBlockSpacing && boundary > last + kBlockSpacing) {
      const uint32_t hidden = last + kBlockSpacing;
      hidden_.push_back(
          {hidden,
           {static_cast<uint64_t>(int64_t{hidden} + first.shift), rest, boundary - hidden},
           a});
    }
  }
}

bool ChainBuilder::Headed(const Piece& piece) const {
  return std::binary_search(headers_.begin(), headers_.end(), static_cast<uint64_t>(piece.shift));
}

void ChainBuilder::FindGaps() {
  for (const Piece& piece : pieces_) {
    if (!piece.leader && !Headed(piece)) unled_from_ = std::min(unled_from_, piece.first_own);
  }
}

void ChainBuilder::AddHidden(const std::vector<std::optional<PlacedBlock>>& read) {
  const size_t before = blocks_.size();
  for (size_t h = 0; h < read.size() && h < hidden_.size(); ++h) {
    if (!read[h] || read[h]->own != hidden_[h].own) continue;
    blocks_.push_back(*read[h]);
    piece_of_.push_back(static_cast<uint32_t>(hidden_[h].piece));
    split_[blocks_.size() - 1] = hidden_[h].place;
  }
  if (blocks_.size() > before) Index();
}

size_t ChainBuilder::PieceOf(size_t block) const {
  return block < piece_of_.size() ? piece_of_[block] : 0;
}

void ChainBuilder::Index() {
  const auto n = static_cast<uint32_t>(blocks_.size());
  by_own_.resize(n);
  by_next_.clear();
  for (uint32_t i = 0; i < n; ++i) {
    by_own_[i] = i;
    if (blocks_[i].next != 0) by_next_.push_back(i);
  }
  auto key = [&](uint32_t own, uint32_t i) { return std::pair(own, blocks_[i].position); };
  std::sort(by_own_.begin(), by_own_.end(), [&](uint32_t a, uint32_t b) {
    return key(blocks_[a].own, a) < key(blocks_[b].own, b);
  });
  std::sort(by_next_.begin(), by_next_.end(), [&](uint32_t a, uint32_t b) {
    return key(blocks_[a].next, a) < key(blocks_[b].next, b);
  });
}

BlockPlace ChainBuilder::PlaceOf(size_t block) const {
  const auto it = split_.find(block);
  return it != split_.end() ? it->second : BlockPlace{blocks_[block].position};
}

std::vector<size_t> ChainBuilder::Matching(const std::vector<uint32_t>& index, uint32_t value,
                                           uint32_t PlacedBlock::*field, uint64_t from, uint64_t to,
                                           size_t limit) const {
  auto it = std::lower_bound(index.begin(), index.end(), std::pair(value, from),
                             [&](uint32_t i, const std::pair<uint32_t, uint64_t>& key) {
                               return std::pair(blocks_[i].*field, blocks_[i].position) < key;
                             });
  std::vector<size_t> found;
  for (; it != index.end() && blocks_[*it].*field == value && blocks_[*it].position <= to &&
         found.size() <= limit;
       ++it) {
    found.push_back(*it);
  }
  return found;
}

std::pair<uint64_t, uint64_t> ChainBuilder::RangeOf(size_t piece) const {
  return {blocks_[pieces_[piece].begin].position,
          blocks_[pieces_[piece].end - 1].position + kBlockSpacing};
}

std::optional<size_t> ChainBuilder::Nearest(const std::vector<uint32_t>& index, uint32_t value,
                                            uint32_t PlacedBlock::*field, size_t block,
                                            std::optional<size_t> near,
                                            const std::function<bool(size_t)>& fits) const {
  for (std::optional<size_t> piece : {std::optional(PieceOf(block)), near}) {
    if (!piece) continue;
    const auto [from, to] = RangeOf(*piece);
    std::vector<size_t> found = Matching(index, value, field, from, to, kMostChoices);
    std::erase_if(found, [&](size_t c) { return PieceOf(c) != *piece || !fits(c); });
    if (found.size() == 1) return found.front();
  }
  return std::nullopt;
}

ChainBuilder::Step ChainBuilder::Successor(size_t block) const {
  const PlacedBlock& b = blocks_[block];
  if (b.next == 0) return {std::nullopt, ChainEnd::kWhole};
  const auto any = [](size_t) { return true; };
  if (auto near = Nearest(by_own_, b.next, &PlacedBlock::own, block,
                          pieces_[PieceOf(block)].follower, any)) {
    return {near};
  }
  const std::vector<size_t> choices =
      Matching(by_own_, b.next, &PlacedBlock::own, 0, UINT64_MAX, kMostChoices);
  if (choices.empty()) return {std::nullopt, ChainEnd::kNextMissing};
  if (choices.size() == 1) return {choices.front()};
  std::optional<size_t> backed;
  int count = 0;
  for (size_t c : choices) {
    if (blocks_[c].freed && blocks_[c].back == b.own) backed = c, ++count;
  }
  if (count == 1 && choices.size() <= kMostChoices) return {backed};
  return {std::nullopt, ChainEnd::kNextAmbiguous};
}

// The block before: a freed block names it (0 in a message's first block); another is
// named by the one block that gives it as next, nearest first.
ChainBuilder::Step ChainBuilder::Predecessor(size_t block) const {
  const PlacedBlock& b = blocks_[block];
  const Piece& piece = pieces_[PieceOf(block)];
  if (b.freed && b.back == 0) return {std::nullopt, ChainEnd::kWhole};
  const auto named = [&](size_t c) { return !b.freed || blocks_[c].own == b.back; };
  if (auto near = Nearest(by_next_, b.own, &PlacedBlock::next, block, piece.leader, named)) {
    return {near};
  }
  std::vector<size_t> choices =
      Matching(by_next_, b.own, &PlacedBlock::next, 0, UINT64_MAX, kMostChoices);
  const bool crowded = choices.size() > kMostChoices;
  std::erase_if(choices, [&](size_t c) { return !named(c); });
  if (choices.size() == 1 && !crowded) return {choices.front()};
  if (!choices.empty() || crowded) return {std::nullopt, ChainEnd::kFrontMissing};
  // nothing names it: the message starts here, unless it is freed and names a block
  // before, or it opens a piece that neither a piece nor a header leads to
  const bool opens_piece = b.own == piece.first_own && !piece.leader && !Headed(piece);
  return {std::nullopt, b.freed || opens_piece ? ChainEnd::kFrontMissing : ChainEnd::kWhole};
}

std::optional<BuiltChain> ChainBuilder::Follow(uint32_t first, int64_t shift) const {
  const auto position = static_cast<uint64_t>(int64_t{first} + shift);
  const std::vector<size_t> found =
      Matching(by_own_, first, &PlacedBlock::own, position, position, 1);
  if (found.empty()) return std::nullopt;
  std::optional<size_t> at = found.front();
  BuiltChain chain;
  std::unordered_set<size_t> passed;
  while (true) {
    if (!passed.insert(*at).second) {
      chain.end = ChainEnd::kTurnsBack;
      break;
    }
    chain.places.push_back(PlaceOf(*at));
    const Step next = Successor(*at);
    if (!next.block) {
      chain.end = next.end;
      break;
    }
    at = next.block;
  }
  return chain;
}

BuiltChain ChainBuilder::WalkBack(size_t last, ChainEnd end, PositionSet& known) const {
  std::vector<size_t> walked{last};
  known.Insert(blocks_[last].position);
  ChainEnd front = ChainEnd::kWhole;
  for (size_t at = last;;) {
    const Step before = Predecessor(at);
    if (!before.block) {
      front = before.end;
      break;
    }
    if (known.Contains(blocks_[*before.block].position)) break;
    at = *before.block;
    known.Insert(blocks_[at].position);
    walked.push_back(at);
  }
  BuiltChain chain;
  for (auto it = walked.rbegin(); it != walked.rend(); ++it) chain.places.push_back(PlaceOf(*it));
  chain.end = end != ChainEnd::kWhole ? end : front;
  chain.front_unsure = front == ChainEnd::kWhole && blocks_[walked.back()].own >= unled_from_;
  return chain;
}

void ChainBuilder::Rebuild(PositionSet& known, const std::function<bool()>& stopping,
                           const std::function<void(BuiltChain)>& found) {
  std::vector<size_t> order(blocks_.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(),
            [&](size_t a, size_t b) { return blocks_[a].position < blocks_[b].position; });
  for (size_t i : order) {
    if (stopping()) return;
    if (blocks_[i].next != 0 || known.Contains(blocks_[i].position)) continue;
    found(WalkBack(i, ChainEnd::kWhole, known));
  }
  // chains that end in a next block found nowhere, or in one another message took
  for (size_t i : order) {
    if (stopping()) return;
    if (known.Contains(blocks_[i].position)) continue;
    const Step next = Successor(i);
    if (next.block && !known.Contains(blocks_[*next.block].position)) continue;
    found(WalkBack(i, next.block ? ChainEnd::kNextTaken : next.end, known));
  }
}

}  // namespace rescuva::engine
