#include "session/scan_outcome_text.h"

namespace rescuva::session {
namespace {

constexpr size_t kNamedInText = 5;

}  // namespace

std::vector<std::string> LostMessagesText(const ScanOutcome& outcome) {
  if (outcome.Lost() == 0) return {};
  std::vector<std::string> lines;
  lines.push_back(std::to_string(outcome.Lost()) +
                  " emails were found but could not be read into the list.");
  lines.push_back(outcome.scratch_error.empty()
                      ? "The temporary folder " + outcome.scratch_folder +
                            " could not be written or read back."
                      : "No temporary folder could be made: " + outcome.scratch_error);
  for (size_t i = 0; i < outcome.problems.size() && i < kNamedInText; ++i) {
    lines.push_back("Offset " + std::to_string(outcome.problems[i].offset) + ": " +
                    outcome.problems[i].reason);
  }
  if (outcome.problems.size() > kNamedInText) lines.push_back("...");
  return lines;
}

}  // namespace rescuva::session
