// What the engine needs from its owner while it runs: the status line, the progress
// bar, the stop flag and the catalogue. All four are called on the engine's thread.
#pragma once

#include <cstdint>
#include <string>

namespace rescuva::engine {

class RecoveryReporter {
 public:
  virtual ~RecoveryReporter() = default;
  virtual void SetStatus(const std::string& text) = 0;
  virtual void SetProgress(int position) = 0;  // 0 ... 100
  virtual bool StopRequested() = 0;
  // One extracted message: the file at `path` is overwritten by the next extraction,
  // so it must be read before this call returns.
  virtual void AddRecoveredMessage(const std::string& path, bool deleted, uint64_t offset) = 0;
};

}  // namespace rescuva::engine
