// A folder file run through the engine and the catalogue, as the application would:
// the rows in the order they were listed, and the engine kept open for extraction.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "catalogue/message_catalogue.h"
#include "engine/dbx_recovery_engine.h"
#include "saving/save_request.h"
#include "tests/recording_reporter.h"

namespace rescuva::testing {

class ScannedFolder : public RecordingReporter {
 public:
  explicit ScannedFolder(const std::string& path, engine::Repair repair = engine::Repair::kNulOnly)
      : engine(*this, platform::PrivateTempFolder()) {
    engine.SetRepair(repair);
    engine.Run(path);
  }

  void AddRecoveredMessage(const engine::ExtractedMessage& message) override {
    if (auto row = catalogue::MakeCatalogueRow(message.path, message.deleted, message.offset)) {
      if (message.facts) catalogue::ApplyRecordFacts(*message.facts, *row);
      rows.push_back(*row);
    }
  }
  std::vector<saving::SaveItem> Items() const {
    std::vector<saving::SaveItem> items;
    for (const auto& row : rows)
      items.push_back({row.offset, row.deleted, false, row.subject, row.fragment});
    return items;
  }

  std::vector<catalogue::CatalogueRow> rows;
  engine::DbxRecoveryEngine engine;
};

std::string SamplePath();
// A file of the real store that the tests carry (tests/fixtures/real).
std::string Fixture(const std::string& name);
// A copy of the sample in `folder`: the engine locks the file it reads, and tests run
// side by side.
std::string CopyOfSample(const std::string& folder);

}  // namespace rescuva::testing
