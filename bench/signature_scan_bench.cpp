// The block scan's in-memory test against a plain byte-by-byte loop over the same
// 64 KiB windows of a realistic folder file (message text with block headers), and
// the same test with the search for blocks away from their own offsets beside it.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "engine/block_signature_scan.h"
#include "engine/byte_order.h"
#include "engine/placed_block_scan.h"

namespace {

constexpr size_t kWindow = 65532;
constexpr size_t kWindows = 256;  // 16 MiB

// Text with a block header every 0x210 bytes, as a folder file's message area.
const std::vector<uint8_t>& FolderBytes() {
  static const std::vector<uint8_t> bytes = [] {
    std::vector<uint8_t> b(kWindow * kWindows + rescuva::engine::PlacedBlockScan::kLookAhead);
    std::mt19937 random(1);
    const char* words = "the old machine kept its mail in folder files and this one survived ";
    for (size_t i = 0; i < b.size(); ++i) b[i] = static_cast<uint8_t>(words[random() % 68]);
    for (size_t at = 0x24BC; at + 16 < b.size(); at += 0x210) {
      rescuva::engine::StoreLe32(&b[at], static_cast<uint32_t>(at));
      rescuva::engine::StoreLe32(&b[at + 4], 0x200);
      rescuva::engine::StoreLe32(&b[at + 8], 0x200);
      rescuva::engine::StoreLe32(&b[at + 12], static_cast<uint32_t>(at + 0x210));
    }
    return b;
  }();
  return bytes;
}

void ByteByByte(benchmark::State& state) {
  const auto& bytes = FolderBytes();
  std::vector<uint32_t> found;
  for (auto _ : state) {
    found.clear();
    for (size_t w = 0; w < kWindows; ++w) {
      const uint8_t* window = bytes.data() + w * kWindow;
      const auto base = static_cast<uint32_t>(w * kWindow);
      for (size_t k = 0; k < kWindow; ++k) {
        if (rescuva::engine::LoadLe32(window + k) == base + k)
          found.push_back(base + static_cast<uint32_t>(k));
      }
    }
    benchmark::DoNotOptimize(found.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kWindow * kWindows));
}

void WordParallel(benchmark::State& state) {
  const auto& bytes = FolderBytes();
  std::vector<uint32_t> found;
  for (auto _ : state) {
    found.clear();
    for (size_t w = 0; w < kWindows; ++w) {
      rescuva::engine::FindSelfOffsets(bytes.data() + w * kWindow, kWindow,
                                       static_cast<uint32_t>(w * kWindow), found);
    }
    benchmark::DoNotOptimize(found.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kWindow * kWindows));
}

void WordParallelWithPlacedBlocks(benchmark::State& state) {
  const auto& bytes = FolderBytes();
  std::vector<uint32_t> found;
  for (auto _ : state) {
    found.clear();
    rescuva::engine::PlacedBlockScan placed;
    for (size_t w = 0; w < kWindows; ++w) {
      const uint8_t* window = bytes.data() + w * kWindow;
      rescuva::engine::FindSelfOffsets(window, kWindow, static_cast<uint32_t>(w * kWindow), found);
      placed.Scan(window, kWindow, w * kWindow);
    }
    benchmark::DoNotOptimize(found.data());
    benchmark::DoNotOptimize(placed.Blocks().data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kWindow * kWindows));
}

BENCHMARK(ByteByByte)->Unit(benchmark::kMillisecond);
BENCHMARK(WordParallel)->Unit(benchmark::kMillisecond);
BENCHMARK(WordParallelWithPlacedBlocks)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
