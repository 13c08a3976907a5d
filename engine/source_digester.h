// Digests a source in order as the block scan reads it: the chunks the scan has read
// are hashed on a thread of their own, so that a large image needs no second pass and
// the scan is not held up by the hashing.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

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
  // A buffer for the next read: one already hashed, or a new one.
  std::vector<uint8_t> TakeBuffer();
  // Waits for what is queued and ends the hashes.
  platform::DigestSet Finish();

 private:
  struct Piece {
    std::vector<uint8_t> bytes;
    size_t skip = 0;
    uint64_t length = 0;
  };
  void Work();

  platform::DigestSetHasher hasher_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Piece> queue_;
  std::vector<std::vector<uint8_t>> spare_;
  bool closing_ = false;
  std::thread thread_;
};

}  // namespace rescuva::engine
