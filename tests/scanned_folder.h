// A folder file run through the engine and the catalogue, as the application would:
// the rows in the order they were listed, and the engine kept open for extraction.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/message_catalogue.h"
#include "app/save_request.h"
#include "engine/dbx_recovery_engine.h"
#include "tests/recording_reporter.h"

namespace rescuva::testing {

class ScannedFolder : public RecordingReporter {
 public:
  explicit ScannedFolder(const std::string& path) : engine(*this) { engine.Run(path); }

  void AddRecoveredMessage(const std::string& path, bool deleted, uint64_t offset) override {
    if (auto row = app::MakeCatalogueRow(path, deleted, offset)) rows.push_back(*row);
  }
  std::vector<app::SaveItem> Items() const {
    std::vector<app::SaveItem> items;
    for (const auto& row : rows) items.push_back({row.offset, row.deleted, false, row.subject});
    return items;
  }

  std::vector<app::CatalogueRow> rows;
  engine::DbxRecoveryEngine engine;
};

std::string SamplePath();
// A copy of the sample in `folder`: the engine locks the file it reads, and tests run
// side by side.
std::string CopyOfSample(const std::string& folder);

}  // namespace rescuva::testing
