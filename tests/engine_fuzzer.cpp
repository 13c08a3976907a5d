// Feeds arbitrary bytes to the engine as a folder file: a whole run, then an
// extraction from every offset the run reported. Nothing may crash, hang or leak.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "engine/dbx_recovery_engine.h"

namespace {

class CountingReporter : public rescuva::engine::RecoveryReporter {
 public:
  void SetStatus(const std::string&) override {}
  void SetProgress(int) override {}
  bool StopRequested() override { return false; }
  void AddRecoveredMessage(const std::string&, bool, uint64_t offset) override {
    last_offset = offset;
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
  rescuva::engine::DbxRecoveryEngine engine(reporter);
  engine.Run(path);
  engine.ExtractToFile(engine.TempFolder() + "fuzz.eml", reporter.last_offset);
  return 0;
}
