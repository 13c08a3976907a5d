// rescuva-save-bench FILE FORM DEST: lists a folder file through the engine and the
// catalogue, then saves every message as the window's save page does (a save job on
// its own thread, each message extracted again), and prints the time of the save.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "catalogue/message_catalogue.h"
#include "engine/dbx_recovery_engine.h"
#include "platform/scratch_files.h"
#include "saving/save_job.h"

namespace {

class Lister : public rescuva::engine::RecoveryReporter {
 public:
  void SetStatus(const std::string&) override {}
  void SetProgress(int) override {}
  bool StopRequested() override { return false; }
  void AddRecoveredMessage(const rescuva::engine::ExtractedMessage& message) override {
    const std::span<const char> bytes(reinterpret_cast<const char*>(message.text.data()),
                                      message.text.size());
    auto row =
        message.held
            ? rescuva::catalogue::MakeCatalogueRow(bytes, message.deleted, message.offset)
            : rescuva::catalogue::MakeCatalogueRow(message.path, message.deleted, message.offset);
    if (row) rows.push_back(std::move(*row));
  }
  std::vector<rescuva::catalogue::CatalogueRow> rows;
};

}  // namespace

int main(int argc, char** argv) {
  using namespace rescuva;
  if (argc != 4) {
    std::fprintf(stderr, "usage: rescuva-save-bench FOLDER_FILE dbx|mbox|eml DESTINATION\n");
    return 2;
  }
  const std::string form = argv[2];
  const saving::SaveFormat format = form == "dbx"    ? saving::SaveFormat::SaveAsDbx
                                    : form == "mbox" ? saving::SaveFormat::SaveAsMbox
                                                     : saving::SaveFormat::SaveAsEml;
  Lister lister;
  engine::DbxRecoveryEngine engine(lister, platform::PrivateTempFolder());
  engine.SetScratchCopies(false);
  engine.Run(argv[1]);
  std::vector<saving::SaveItem> items;
  for (const auto& row : lister.rows) {
    items.push_back({row.offset, row.deleted, false, row.subject, row.fragment, row.info});
  }
  const std::atomic<bool> stop{false};
  const auto start = std::chrono::steady_clock::now();
  saving::SaveJob job(saving::OneSource(engine), {format, saving::SaveScope::SaveAll, argv[3]},
                      std::move(items), {}, stop, {});
  job.Start();
  job.Wait();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("the window's save as %s: %.2f s for %zu messages, %zu failed\n", form.c_str(),
              seconds, job.Report().saved, job.Report().failures.size());
  return job.Report().failures.empty() ? 0 : 1;
}
