// Digests a source in order as the block scan reads it: the chunks the scan has read
// are hashed by three threads beside it, one an algorithm, so that a large image needs
// no second pass and the scan waits for no more than the slowest of the three.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/run_outcome.h"
#include "platform/byte_source.h"
#include "platform/digests.h"

namespace rescuva::engine {

class SourceDigester {
 public:
  SourceDigester();
  SourceDigester(const SourceDigester&) = delete;
  SourceDigester& operator=(const SourceDigester&) = delete;
  ~SourceDigester();

  // The next `length` bytes of the source: `bytes` from `skip` on, or zeros when
  // `bytes` is empty (a hole the scan did not read). Waits while several are queued.
  void Add(std::vector<uint8_t> bytes, size_t skip, uint64_t length);
  // Waits for what is queued and ends the hashes.
  platform::DigestSet Finish();

 private:
  struct Piece {
    std::vector<uint8_t> bytes;
    size_t skip = 0;
    uint64_t length = 0;
  };
  // One algorithm's thread and what it has still to hash.
  struct Lane {
    explicit Lane(platform::HashKind kind) : hasher(kind) {}
    platform::Hasher hasher;
    std::deque<std::shared_ptr<const Piece>> queue;
    std::string digest;
    std::thread thread;
  };
  void Work(Lane& lane);
  void Close();

  std::mutex mutex_;
  std::condition_variable changed_;
  bool closing_ = false;
  Lane lanes_[3] = {Lane(platform::HashKind::kMd5), Lane(platform::HashKind::kSha1),
                    Lane(platform::HashKind::kSha256)};
};

// Reads `source` whole, in order, for its digests; a sparse file's hole is hashed as
// the zeros it reads as, without reading it. `step` is called after each piece with its
// length and says whether to go on. Done with the digests; else stopped or a read
// error, and `digests` is left empty.
RunEnding DigestWholeSource(const platform::ByteSource& source,
                            const std::function<bool(uint64_t bytes)>& step,
                            platform::DigestSet& digests);

}  // namespace rescuva::engine
