// A mail file the session recovers messages from: a run lists what it finds through
// its reporter, and any listed message can be read again by its offset afterwards,
// from any thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/chain_reading.h"
#include "engine/run_outcome.h"
#include "platform/byte_source.h"
#include "platform/digests.h"

namespace rescuva::engine {

// What a run read of its source, for an examiner's report.
struct SourceFacts {
  uint64_t length = 0;
  // Of every byte of the source, when asked for and read to its end; else empty.
  platform::DigestSet digests;
  platform::StoredDigests stored;  // what an image keeps of the media it holds
};

class MessageSource {
 public:
  virtual ~MessageSource() = default;

  // On: each message handed over carries where its bytes lie and what was mended; set
  // before Run.
  void SetTracing(bool on) { tracing_ = on; }
  // On: the source is digested as it is read; set before Run.
  void SetSourceDigests(bool on) { digest_source_ = on; }
  // After Run.
  virtual SourceFacts Facts() const = 0;
  // The bytes the last Run read; they read nothing once closed.
  virtual const platform::ByteSource& Source() const = 0;

  // Opens the file and lists its messages; the file stays open for reading them again.
  virtual RunOutcome Run(const std::string& path) = 0;
  virtual void CloseSource() = 0;
  // Writes the message listed at `first` to `path`. False when it holds no data or
  // the file cannot be written whole; `error` then says why.
  virtual bool ExtractToFile(const std::string& path, uint64_t first,
                             Repair repair = Repair::kNulOnly, bool* damaged = nullptr,
                             std::string* error = nullptr) const = 0;
  // The same text into memory.
  virtual bool ExtractToBytes(uint64_t first, Repair repair, std::vector<uint8_t>& text,
                              std::string* error = nullptr) const = 0;

 protected:
  bool tracing_ = false;
  bool digest_source_ = false;
};

}  // namespace rescuva::engine
