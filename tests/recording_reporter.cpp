#include "tests/recording_reporter.h"

#include <gtest/gtest.h>

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

// The scratch file must hold what the engine handed over with it.
void RecordingReporter::AddRecoveredMessage(const engine::ExtractedMessage& message) {
  const std::string text = ReadFileText(message.path);
  if (message.held) {
    EXPECT_EQ(std::string(message.text.begin(), message.text.end()), text) << message.path;
  }
  messages.push_back({text,
                      message.deleted,
                      message.offset,
                      message.path,
                      {},
                      message.end,
                      message.stop,
                      message.front_unsure});
  if (message.facts) messages.back().facts = *message.facts;
}

}  // namespace rescuva::testing
