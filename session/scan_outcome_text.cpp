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

std::vector<std::string> ScanEndNotes(const ScanOutcome& outcome) {
  std::vector<std::string> lines = LostMessagesText(outcome);
  // a store's notes name the file whose reading failed; a single file's say nothing
  if (outcome.ending == engine::RunEnding::kReadError && outcome.notes.empty()) {
    lines.push_back("Reading the file failed: the list ends where reading stopped.");
  }
  lines.insert(lines.end(), outcome.notes.begin(), outcome.notes.end());
  return lines;
}

std::optional<std::string> NoMailNote(const std::string& path, engine::FolderFileKind kind) {
  switch (kind) {
    case engine::FolderFileKind::kMessages:
      return std::nullopt;
    case engine::FolderFileKind::kFolderList:
      return path + ": the folder list of an Outlook Express store, which holds no messages " +
             "(the store's folder files do)";
    case engine::FolderFileKind::kPop3Ids:
    case engine::FolderFileKind::kOffline:
      return path + ": an Outlook Express file of another kind, which holds no messages";
    case engine::FolderFileKind::kOther:
      return path + ": not an Outlook Express folder file; no message was found in it";
  }
  return std::nullopt;
}

}  // namespace rescuva::session
