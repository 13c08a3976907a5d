// What the engine needs from its owner while it runs: the status line, the progress
// bar, the stop flag and the catalogue. All four are called on the engine's thread.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "engine/message_info_record.h"

namespace rescuva::engine {

// One message extracted by a stage and written to the scratch folder.
struct ExtractedMessage {
  // The scratch file, overwritten by the next extraction; empty when the engine wrote
  // none (it holds the text).
  std::string path;
  bool deleted = false;
  uint64_t offset = 0;  // the chain's first block
  // The message's bytes when the engine holds them whole (valid during the call);
  // otherwise empty and `held` false, and the file at `path` holds them.
  std::span<const uint8_t> text;
  bool held = false;
  // What the index record of an existing message says of it; null for the others.
  const RecordFacts* facts = nullptr;
};

class RecoveryReporter {
 public:
  virtual ~RecoveryReporter() = default;
  virtual void SetStatus(const std::string& text) = 0;
  virtual void SetProgress(int position) = 0;  // 0 ... 100
  virtual bool StopRequested() = 0;
  // One extracted message; what it refers to is valid only during the call.
  virtual void AddRecoveredMessage(const ExtractedMessage& message) = 0;
};

// For reading a file's structures where nothing is shown and nothing is listed.
class QuietReporter : public RecoveryReporter {
 public:
  void SetStatus(const std::string&) override {}
  void SetProgress(int) override {}
  bool StopRequested() override { return false; }
  void AddRecoveredMessage(const ExtractedMessage&) override {}
};

}  // namespace rescuva::engine
