// What the user is told when a scan found messages it could not list: how many, the
// first of them with their reasons, and the scratch folder.
#pragma once

#include <string>
#include <vector>

#include "session/recovery_session.h"

namespace rescuva::session {

// Plain lines of text; empty when nothing was lost.
std::vector<std::string> LostMessagesText(const ScanOutcome& outcome);

}  // namespace rescuva::session
