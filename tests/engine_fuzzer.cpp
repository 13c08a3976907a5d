// Feeds arbitrary bytes to the engine as a folder file: a whole run with every message
// loaded as the catalogue loads it, then an extraction from the last offset reported.
// Files of odd length run with the repair of deleted blocks; every third size is traced,
// and each message's runs must lie inside the file, one after another in the message. The same
// bytes are read as an Outlook Express 4 folder (.mbx with the same bytes as its .idx). Nothing may
// crash, hang or leak.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/dbx_recovery_engine.h"
#include "engine/oe4_mailbox.h"
#include "loader/message_loader.h"
#include "tests/fuzz_folder.h"

namespace {

class CountingReporter : public rescuva::engine::RecoveryReporter {
 public:
  void SetStatus(const std::string&) override {}
  void SetProgress(int) override {}
  bool StopRequested() override { return false; }
  // every message goes through the loader too, as the catalogue would take it
  void AddRecoveredMessage(const rescuva::engine::ExtractedMessage& message) override {
    last_offset = message.offset;
    if (message.trace) {
      uint64_t offset = 0;
      for (const auto& run : message.trace->runs) {
        if (run.position + run.length > source_length || run.message_offset < offset) {
          __builtin_trap();
        }
        offset = run.message_offset + run.length;
      }
    }
    if (message.held) {
      rescuva::loader::LoadMessage(
          {reinterpret_cast<const char*>(message.text.data()), message.text.size()});
    }
  }
  uint64_t last_offset = 0;
  uint64_t source_length = 0;
};

const rescuva::testing::FuzzFolder folder;

void ReadAsOe4Folder(const uint8_t* data, size_t size) {
  const std::string mbx = folder.Write("oe4.mbx", data, size);
  if (mbx.empty() || folder.Write("oe4.idx", data, size).empty()) return;
  CountingReporter reporter;
  reporter.source_length = size;
  rescuva::engine::Oe4Mailbox mailbox(reporter);
  mailbox.SetTracing(true);
  mailbox.SetSourceDigests(true);
  mailbox.Run(mbx);
  std::vector<uint8_t> text;
  mailbox.ExtractToBytes(reporter.last_offset, rescuva::engine::Repair::kNulOnly, text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = folder.Write("input.dbx", data, size);
  if (path.empty()) return 0;
  ReadAsOe4Folder(data, size);
  CountingReporter reporter;
  reporter.source_length = size;
  rescuva::engine::DbxRecoveryEngine engine(reporter, folder.Path() + "/");
  engine.SetTracing(size % 3 == 0);
  engine.SetSourceDigests(size % 3 == 0);
  const auto repair =
      size % 2 ? rescuva::engine::Repair::kDeletedBlocks : rescuva::engine::Repair::kNulOnly;
  engine.SetRepair(repair);
  engine.Run(path);
  engine.ExtractToFile(engine.TempFolder() + "fuzz.eml", reporter.last_offset, repair);
  return 0;
}
