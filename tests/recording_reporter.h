// A reporter for engine tests: keeps every status, progress position and recovered
// message (with the extracted bytes, read before the next extraction overwrites them),
// and requests a stop when a chosen condition first holds.
#pragma once

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/recovery_reporter.h"

namespace rescuva::testing {

struct RecoveredMessage {
  std::string text;
  bool deleted = false;
  uint64_t offset = 0;
  std::string path;
  std::optional<engine::RecordFacts> facts;  // what an existing message's record says
  engine::ChainEnd end = engine::ChainEnd::kWhole;
  uint64_t stop = 0;
  bool front_unsure = false;
};

class RecordingReporter : public engine::RecoveryReporter {
 public:
  void SetStatus(const std::string& text) override { statuses.push_back(text); }
  void SetProgress(int position) override { progress.push_back(position); }
  bool StopRequested() override;
  void AddRecoveredMessage(const engine::ExtractedMessage& message) override;

  // Forgets everything recorded and clears the stop flag, for the next run.
  void Reset();

  // Asked at every stop poll; once true, the stop flag stays set.
  std::function<bool(const RecordingReporter&)> stop_when;
  std::vector<std::string> statuses;
  std::vector<int> progress;
  std::vector<RecoveredMessage> messages;
  int stop_polls = 0;

 private:
  std::atomic<bool> stop_{false};
};

}  // namespace rescuva::testing
