// Following a block chain and writing its text to a file.
#include <algorithm>
#include <array>

#include "engine/dbx_recovery_engine.h"
#include "engine/message_block.h"

namespace rescuva::engine {
namespace {

constexpr int kMaxScratchNameAttempts = 10000;

}  // namespace

// The length pass. A chain ends at 0, at an offset past the end of the file (which
// still counts as passed), or at the first block already visited: cycles are found
// with Brent's method, so a chain of any length needs no memory of its own.
DbxRecoveryEngine::ChainSummary DbxRecoveryEngine::MeasureChain(uint32_t first,
                                                                OffsetSet* known) const {
  const uint32_t length = source_.Length();
  ChainSummary chain;
  auto read_header = [&](uint32_t offset, MessageBlockHeader& header) {
    std::array<uint8_t, kBlockHeaderSize> bytes;
    if (offset > length || !source_.ReadAt(offset, bytes)) return false;
    header = MessageBlockHeader::Decode(bytes);
    return true;
  };
  uint32_t tortoise = first;
  uint64_t power = 1, lambda = 1;
  bool cycle = false;
  for (uint32_t b = first; b != 0;) {
    if (chain.blocks > 0) {
      if (b == tortoise) {
        cycle = true;
        break;
      }
      if (power == lambda) {
        tortoise = b;
        power *= 2;
        lambda = 0;
      }
      ++lambda;
    }
    if (known) known->Insert(b);
    ++chain.blocks;
    MessageBlockHeader header;
    if (!read_header(b, header)) break;
    chain.damaged = header.IsDamaged();
    chain.total += header.data_length;
    b = header.next_offset;
  }
  if (!cycle) return chain;

  // Every block of the cycle was passed already; count the blocks before the first
  // repeat (mu + lambda) and measure exactly those.
  MessageBlockHeader header;
  auto step = [&](uint32_t offset) { return read_header(offset, header) ? header.next_offset : 0; };
  uint32_t slow = first, fast = first;
  for (uint64_t i = 0; i < lambda; ++i) fast = step(fast);
  uint64_t mu = 0;
  while (slow != fast) {
    slow = step(slow);
    fast = step(fast);
    ++mu;
  }
  chain = {0, mu + lambda, false};
  uint32_t b = first;
  for (uint64_t i = 0; i < chain.blocks && read_header(b, header); ++i) {
    chain.damaged = header.IsDamaged();
    chain.total += header.data_length;
    b = header.next_offset;
  }
  return chain;
}

// The copy pass: at most 512 bytes of each block, NUL bytes turned into '_' when the
// chain is damaged. False when a read or a write fails.
bool DbxRecoveryEngine::CopyChain(uint32_t first, const ChainSummary& chain,
                                  platform::OutputFile& out) const {
  const uint64_t length = source_.Length();
  std::array<uint8_t, kBlockHeaderSize + kBlockDataSize> block;
  uint32_t c = first;
  for (uint64_t i = 0; i < chain.blocks && c != 0 && c <= length; ++i) {
    if (!source_.ReadAt(c, block)) return false;
    if (uint64_t{c} + kBlockHeaderSize > length) break;
    const auto header = MessageBlockHeader::Decode(std::span(block).first<kBlockHeaderSize>());
    const size_t n = std::min(header.data_length, kBlockDataSize);
    auto data = std::span(block).subspan(kBlockHeaderSize, n);
    if (chain.damaged) std::replace(data.begin(), data.end(), uint8_t{0}, uint8_t{'_'});
    if (!out.Write(data)) return false;
    c = header.next_offset;
  }
  return true;
}

bool DbxRecoveryEngine::ExtractToTempFolder(std::string folder, std::string& name, uint64_t first,
                                            bool* damaged) {
  const auto start = static_cast<uint32_t>(first);
  const ChainSummary chain = MeasureChain(start, &known_blocks_);
  if (damaged) *damaged = chain.damaged;
  if (chain.total == 0) return false;
  if (folder.empty() || folder.back() != '/') folder += '/';
  std::string path = folder + name;
  if (platform::PathExists(path)) platform::RemoveFile(path);
  if (platform::PathExists(path)) {
    bool found = false;
    for (int k = 0; k < kMaxScratchNameAttempts && !found; ++k) {
      std::string candidate = folder + std::to_string(k) + name;
      if (!platform::PathExists(candidate) ||
          (platform::RemoveFile(candidate) && !platform::PathExists(candidate))) {
        name = std::to_string(k) + name;
        path = candidate;
        found = true;
      }
    }
    if (!found) return false;
  }
  platform::OutputFile out;
  if (!out.Create(path, false)) return false;
  // A message cut short by a failing read or write is still listed: its row keeps
  // the offset, and the preview and the saving extract it again.
  CopyChain(start, chain, out);
  out.Close();
  return true;
}

bool DbxRecoveryEngine::ExtractToFile(const std::string& path, uint64_t first,
                                      bool* damaged) const {
  const auto start = static_cast<uint32_t>(first);
  const ChainSummary chain = MeasureChain(start, nullptr);
  if (damaged) *damaged = chain.damaged;
  if (chain.total == 0) return false;
  platform::OutputFile out;
  if (!out.Create(path, false)) return false;
  const bool copied = CopyChain(start, chain, out);
  return out.Close() && copied;
}

}  // namespace rescuva::engine
