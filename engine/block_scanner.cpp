#include "engine/block_scanner.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <thread>

#include "engine/block_signature_scan.h"
#include "engine/byte_order.h"
#include "engine/message_block.h"
#include "engine/source_digester.h"

namespace rescuva::engine {
namespace {

// Own offsets are 32 bits: only below 4 GiB can a block lie at its own offset.
constexpr uint64_t kOwnOffsets = uint64_t{1} << 32;
// A chunk is read from this far before its start, so that a pair of blocks across its
// start is seen whole; and this far past its end, for the fields of the blocks it tests.
constexpr uint64_t kLead = kBlockSpacing;
constexpr size_t kTail = std::max<size_t>(12, PlacedBlockScan::kLookAhead);
constexpr uint64_t kSlice = 32 << 10;
// Chunks scanned ahead of the one the calling thread joins next.
constexpr size_t kMostReady = 8;

struct Chunk {
  std::vector<BlockCandidate> candidates;
  std::vector<bool> shaped;  // by candidate: its size field is a block's
  PlacedBlockScan placed;
  bool read = true;
  // For the digests: the bytes read from `from` on, when `filled`; a hole is not read.
  std::vector<uint8_t> bytes;
  uint64_t from = 0;
  bool filled = false;
};

// Scans the positions [start, end) of the source. Zero bytes hold no block and no own
// offset: a chunk of a sparse file's hole is not read.
Chunk ScanChunk(const platform::ByteSource& source, uint64_t start, std::vector<uint8_t>& bytes) {
  Chunk chunk;
  const uint64_t length = source.Length();
  const uint64_t end = std::min(start + BlockScanner::kChunkSize, length - 3);
  if (source.NextData(start > 16 ? start - 16 : 0) >= end + kTail) return chunk;
  const uint64_t from = start >= kLead ? start - kLead : 0;
  bytes.resize(static_cast<size_t>(end - from) + kTail);
  if (!source.ReadAt(from, bytes)) {
    chunk.read = false;
    return chunk;
  }
  chunk.from = from;
  chunk.filled = true;
  // both tests run over one slice after the other while it is in the processor's cache
  std::vector<uint32_t> found;
  for (uint64_t slice = from; slice < end; slice += kSlice) {
    const uint64_t stop = std::min(slice + kSlice, end);
    const uint8_t* at = bytes.data() + (slice - from);
    if (stop > start && slice < kOwnOffsets) {
      const uint64_t first = std::max(slice, start);
      found.clear();
      FindSelfOffsets(at + (first - slice),
                      static_cast<size_t>(std::min(stop, kOwnOffsets) - first),
                      static_cast<uint32_t>(first), found);
      for (uint32_t j : found) {
        const uint8_t* header = at + (j - slice);
        const uint32_t size = LoadLe32(header + 4);
        chunk.candidates.push_back({j, LoadLe32(header + 12)});
        chunk.shaped.push_back(size == kBlockDataSize || size == kFreedBlockSize);
      }
    }
    chunk.placed.Scan(at, static_cast<size_t>(stop - slice), slice);
  }
  // what lies before the start is the previous chunk's
  auto& placed = chunk.placed.Blocks();
  placed.erase(placed.begin(),
               std::find_if(placed.begin(), placed.end(),
                            [&](const PlacedBlock& b) { return b.position >= start; }));
  return chunk;
}

// Blocks do not overlap: of candidates closer than a block header to the one kept
// before, one is kept, the one whose size field is a block's, else the first. Ordinary
// files hold no such pairs; a crafted one of nothing but own offsets keeps one in four.
class CandidateList {
 public:
  explicit CandidateList(std::vector<BlockCandidate>& kept) : kept_(kept) {}
  void Add(const BlockCandidate& candidate, bool shaped) {
    if (!kept_.empty() && candidate.offset - kept_.back().offset < kBlockHeaderSize) {
      if (!shaped || last_shaped_) return;
      kept_.pop_back();
    }
    kept_.push_back(candidate);
    last_shaped_ = shaped;
  }

 private:
  std::vector<BlockCandidate>& kept_;
  bool last_shaped_ = false;
};

}  // namespace

ScanFindings BlockScanner::Scan(const platform::ByteSource& source,
                                const std::function<bool(uint64_t done)>& go_on, bool digests) {
  ScanFindings findings;
  const uint64_t length = source.Length();
  if (length <= 4) {
    // too short to hold a block: only its digests
    std::vector<uint8_t> bytes(static_cast<size_t>(length));
    findings.read = source.ReadAt(0, bytes);
    if (digests && findings.read) findings.digests = platform::DigestsOf(bytes);
    return findings;
  }
  const uint64_t chunks = (length - 3 + kChunkSize - 1) / kChunkSize;
  std::optional<SourceDigester> digester;
  if (digests) digester.emplace();
  std::atomic<uint64_t> next{0};
  std::atomic<bool> abort{false};
  std::mutex mutex;
  std::condition_variable scanned;
  std::condition_variable room;
  std::map<uint64_t, Chunk> ready;
  auto take_one = [&](std::vector<uint8_t>& bytes) {
    const uint64_t k = next++;
    if (k >= chunks || abort) return false;
    Chunk chunk = ScanChunk(source, k * kChunkSize, bytes);
    if (digester && chunk.filled) chunk.bytes = std::move(bytes);
    std::lock_guard lock(mutex);
    ready.emplace(k, std::move(chunk));
    scanned.notify_all();
    return true;
  };
  std::thread helper;
  if (chunks > 1) {
    helper = std::thread([&] {
      std::vector<uint8_t> bytes;
      do {
        std::unique_lock lock(mutex);
        room.wait(lock, [&] { return ready.size() < kMostReady || abort; });
      } while (take_one(bytes));
    });
  }
  // this thread scans too, and joins the chunks in order
  CandidateList candidates(findings.candidates);
  std::vector<uint8_t> bytes;
  std::vector<Chunk> joined;
  uint64_t k = 0;
  while (k < chunks && findings.read) {
    const bool took = take_one(bytes);
    joined.clear();
    {
      std::unique_lock lock(mutex);
      if (!took) scanned.wait_for(lock, std::chrono::milliseconds(100));
      for (auto it = ready.find(k + joined.size()); it != ready.end();
           it = ready.find(k + joined.size())) {
        joined.push_back(std::move(it->second));
        ready.erase(it);
      }
    }
    room.notify_all();
    bool stopped = false;
    for (Chunk& chunk : joined) {
      const uint64_t start = k++ * kChunkSize;
      findings.read = chunk.read;
      if (!chunk.read) break;
      if (digester) {
        // the last chunk's hash runs to the end; its read went past it
        const uint64_t size = k == chunks ? length - start : kChunkSize;
        const size_t skip = chunk.filled ? static_cast<size_t>(start - chunk.from) : 0;
        digester->Add(std::move(chunk.bytes), skip, size);
      }
      for (size_t i = 0; i < chunk.candidates.size(); ++i) {
        candidates.Add(chunk.candidates[i], chunk.shaped[i]);
      }
      auto& placed = chunk.placed.Blocks();
      findings.placed.insert(findings.placed.end(), placed.begin(), placed.end());
      for (uint64_t header : chunk.placed.Headers()) {
        if (header >= start && (findings.headers.empty() || findings.headers.back() < header)) {
          findings.headers.push_back(header);
        }
      }
      // asked after each chunk, so a stop ends the scan where it was asked
      stopped = !go_on(std::min(k * kChunkSize, length));
      if (stopped) break;
    }
    if (stopped || (joined.empty() && !go_on(std::min(k * kChunkSize, length)))) break;
  }
  {
    std::lock_guard lock(mutex);
    abort = true;
  }
  room.notify_all();
  if (helper.joinable()) helper.join();
  if (digester) {
    platform::DigestSet digests = digester->Finish();
    if (findings.read && k == chunks) findings.digests = std::move(digests);
  }
  return findings;
}

}  // namespace rescuva::engine
