// What the engine needs from its owner while it runs: the status line, the progress
// bar, the stop flag and the catalogue. All four are called on the engine's thread.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "engine/chain_reading.h"
#include "engine/chain_trace.h"
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
  // Whole, or why the chain was cut and the position of its last block read.
  ChainEnd end = ChainEnd::kWhole;
  uint64_t stop = 0;
  // Whole only if its text starts a message: part of its file was not found.
  bool front_unsure = false;
  // Where its bytes lie in the source and what was mended, when the owner asked.
  const ChainTrace* trace = nullptr;
};

// The steps of a run, each shown by its status text.
enum class Stage {
  kOpening,
  kExisting,    // the index's messages
  kLostBlocks,  // the byte scan for message blocks
  kChains,      // the chains no listed message used
  kListed,      // everything found is listed
  kDone,
  kStopped,
};

constexpr const char* StageText(Stage stage) {
  switch (stage) {
    case Stage::kOpening:
      return "Opening file...";
    case Stage::kExisting:
      return "Process((1/4)) Finding existing emails ...";
    case Stage::kLostBlocks:
      return "Process((2/4)) Finding lost emails ...";
    case Stage::kChains:
      return "Process((3/4)) Finding lost emails ...";
    case Stage::kListed:
      return "Recovery done, please select emails from list to see preview";
    case Stage::kDone:
      return "Repairing  done..";
    case Stage::kStopped:
      return "User aborted process";
  }
  return "";
}

class RecoveryReporter {
 public:
  virtual ~RecoveryReporter() = default;
  // A run enters a stage; its text becomes the status unless the owner wants more.
  virtual void EnterStage(Stage stage) { SetStatus(StageText(stage)); }
  virtual void SetStatus(const std::string& text) = 0;
  virtual void SetProgress(int position) = 0;  // 0 ... 100
  // How far the block scan has read: `done` of `total` bytes of the source.
  virtual void ScanPosition(uint64_t /*done*/, uint64_t /*total*/) {}
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
