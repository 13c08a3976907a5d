// What the user is told when a scan found messages it could not list (how many, the
// first of them with their reasons, and the scratch folder), or could not read all.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "session/recovery_session.h"

namespace rescuva::session {

// Plain lines of text; empty when nothing was lost.
std::vector<std::string> LostMessagesText(const ScanOutcome& outcome);

// Everything the user is told when a scan ends: the messages lost, a read error, and
// the files skipped or read in part. Empty when the scan went as it should.
std::vector<std::string> ScanEndNotes(const ScanOutcome& outcome);

// What a file that gave no message is, when its header says it is no mail folder (a
// folder list, another kind of Outlook Express file, or no folder file at all).
std::optional<std::string> NoMailNote(const std::string& path, engine::FolderFileKind kind);

}  // namespace rescuva::session
