// Feeds arbitrary bytes to the engine as a folder file: a whole run with every message
// loaded as the catalogue loads it, then an extraction from the last offset reported.
// Files of odd length run with the repair of deleted blocks. The same bytes are read as
// a store's folder list (Folders.dbx and folders.nch) and as an Outlook Express 4
// folder (.mbx with the same bytes as its .idx). Nothing may crash, hang or leak.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/dbx_recovery_engine.h"
#include "engine/oe4_mailbox.h"
#include "loader/message_loader.h"
#include "platform/scratch_files.h"
#include "store/folder_records.h"

namespace {

class CountingReporter : public rescuva::engine::RecoveryReporter {
 public:
  void SetStatus(const std::string&) override {}
  void SetProgress(int) override {}
  bool StopRequested() override { return false; }
  // every message goes through the loader too, as the catalogue would take it
  void AddRecoveredMessage(const rescuva::engine::ExtractedMessage& message) override {
    last_offset = message.offset;
    if (message.held) {
      rescuva::loader::LoadMessage(
          {reinterpret_cast<const char*>(message.text.data()), message.text.size()});
    }
  }
  uint64_t last_offset = 0;
};

bool WriteInput(const std::string& path, const uint8_t* data, size_t size) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  std::fwrite(data, 1, size, file);
  return std::fclose(file) == 0;
}

void ReadAsStoreFiles(const uint8_t* data, size_t size) {
  static const std::string stem = "/tmp/rescuva-fuzz-" + std::to_string(::getpid()) + "-oe4";
  if (!WriteInput(stem + ".mbx", data, size) || !WriteInput(stem + ".idx", data, size)) return;
  rescuva::store::ReadFolderList(stem + ".mbx");
  rescuva::store::ReadOe4FolderList(stem + ".mbx");
  CountingReporter reporter;
  rescuva::engine::Oe4Mailbox mailbox(reporter);
  mailbox.Run(stem + ".mbx");
  std::vector<uint8_t> text;
  mailbox.ExtractToBytes(reporter.last_offset, rescuva::engine::Repair::kNulOnly, text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/rescuva-fuzz-" + std::to_string(::getpid()) + ".dbx";
  if (!WriteInput(path, data, size)) return 0;
  ReadAsStoreFiles(data, size);
  CountingReporter reporter;
  static const std::string scratch = rescuva::platform::PrivateTempFolder();
  rescuva::engine::DbxRecoveryEngine engine(reporter, scratch);
  const auto repair =
      size % 2 ? rescuva::engine::Repair::kDeletedBlocks : rescuva::engine::Repair::kNulOnly;
  engine.SetRepair(repair);
  engine.Run(path);
  engine.ExtractToFile(engine.TempFolder() + "fuzz.eml", reporter.last_offset, repair);
  return 0;
}
