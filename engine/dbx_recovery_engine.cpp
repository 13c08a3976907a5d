#include "engine/dbx_recovery_engine.h"

#include "msgbox/message_call.h"

namespace rescuva::engine {

DbxRecoveryEngine::DbxRecoveryEngine(RecoveryReporter& reporter)
    : reporter_(reporter), temp_folder_(platform::PrivateTempFolder()) {}

DbxRecoveryEngine::~DbxRecoveryEngine() = default;

bool DbxRecoveryEngine::OpenSource(const std::string& path) {
  return source_.Open(path);
}

void DbxRecoveryEngine::CloseSource() {
  source_.Close();
}

// A read error in the header or a scan window ends the run as a stop does.
bool DbxRecoveryEngine::Stopping() {
  return read_failed_ || reporter_.StopRequested();
}

void DbxRecoveryEngine::Run(const std::string& path) {
  reporter_.SetStatus("Opening file...");
  if (!OpenSource(path)) {
    msgbox::ShowApplicationMessage("Unable to open file...", msgbox::MB_ICONINFORMATION);
    return;
  }
  reporter_.SetStatus("Process((1/4)) Finding existing emails ...");
  FindExistingMessages();
  if (Stopping()) {
    reporter_.SetStatus("User aborted process");
    return;
  }
  ScanForLostBlocks();
  reporter_.SetStatus(Stopping() ? "User aborted process" : "Repairing  done..");
}

}  // namespace rescuva::engine
