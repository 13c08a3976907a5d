#include "tests/recording_reporter.h"

#include "tests/folder_builder.h"

namespace rescuva::testing {

bool RecordingReporter::StopRequested() {
  ++stop_polls;
  if (!stop_ && stop_when && stop_when(*this)) stop_ = true;
  return stop_;
}

void RecordingReporter::Reset() {
  statuses.clear();
  progress.clear();
  messages.clear();
  stop_polls = 0;
  stop_ = false;
}

void RecordingReporter::AddRecoveredMessage(const std::string& path, bool deleted,
                                            uint64_t offset) {
  messages.push_back({ReadFileText(path), deleted, offset, path});
}

}  // namespace rescuva::testing
