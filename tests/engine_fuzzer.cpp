// Feeds arbitrary bytes to the engine as a folder file: a whole run with every message
// loaded as the catalogue loads it, then an extraction from the last offset reported.
// Files of odd length run with the repair of deleted blocks. Nothing may crash, hang
// or leak.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "engine/dbx_recovery_engine.h"
#include "loader/message_loader.h"
#include "platform/scratch_files.h"

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/rescuva-fuzz-" + std::to_string(::getpid()) + ".dbx";
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return 0;
  std::fwrite(data, 1, size, file);
  std::fclose(file);
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
