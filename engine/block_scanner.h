// The block scan: one pass over the source in large reads, shared by two threads,
// that finds the blocks lying at their own offsets, the blocks lying away from them
// and the folder-file headers inside the source, each in order of position.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "engine/placed_block_scan.h"
#include "platform/byte_source.h"
#include "platform/digests.h"

namespace rescuva::engine {

// A block found at its own offset, and the block it names as next.
struct BlockCandidate {
  uint32_t offset = 0;
  uint32_t next_offset = 0;
};

struct ScanFindings {
  std::vector<BlockCandidate> candidates;
  std::vector<PlacedBlock> placed;
  std::vector<uint64_t> headers;
  bool read = true;  // false when a read failed: the findings end where it did
  // The source's digests, when asked for and every byte was read; else empty.
  platform::DigestSet digests;
};

class BlockScanner {
 public:
  // Bytes read at once.
  static constexpr uint64_t kChunkSize = 1 << 20;

  // Scans the whole source. `go_on(done)` is asked on the calling thread after each
  // chunk with the bytes scanned so far; false stops the scan within a chunk or two.
  // With `digests`, the bytes read are hashed in order as well.
  static ScanFindings Scan(const platform::ByteSource& source,
                           const std::function<bool(uint64_t done)>& go_on, bool digests = false);
};

}  // namespace rescuva::engine
