// A mail file the session recovers messages from: a run lists what it finds through
// its reporter, and any listed message can be read again by its offset afterwards,
// from any thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/chain_reading.h"
#include "engine/run_outcome.h"

namespace rescuva::engine {

class MessageSource {
 public:
  virtual ~MessageSource() = default;

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
};

}  // namespace rescuva::engine
