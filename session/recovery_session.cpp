#include "session/recovery_session.h"

namespace rescuva::session {

RecoverySession::RecoverySession(Crossing& crossing, SessionEvents events)
    : events_(std::move(events)),
      status_(crossing,
              [this](const std::string& text) {
                if (events_.status) events_.status(text);
              }),
      progress_(crossing,
                [this](const int& position) {
                  if (events_.progress) events_.progress(position);
                }),
      rows_(crossing, kRowInterval,
            [this](std::vector<catalogue::CatalogueRow>& rows) {
              if (events_.rows) events_.rows(rows);
            }),
      outcome_(crossing,
               [this](const ScanOutcome& outcome) {
                 if (events_.finished) events_.finished(outcome);
               }),
      engine_(*this, scratch_.Path()) {}

RecoverySession::~RecoverySession() {
  stop_ = true;
  Wait();
  status_.Close();
  progress_.Close();
  rows_.Close();
  outcome_.Close();
  engine_.CloseSource();
}

void RecoverySession::Start(const std::string& path, const ScanOptions& options) {
  if (running_ || worker_.joinable()) return;
  running_ = true;
  engine_.SetRepair(options.repair);
  // the catalogue takes the engine's bytes: a scratch copy only of what it cannot hold
  engine_.SetScratchCopies(false);
  catalogue_ = std::make_unique<catalogue::CataloguePipeline>(
      path,
      [this](const catalogue::CatalogueRow& row, std::span<const char> bytes) {
        if (events_.listed) events_.listed(row, bytes);
        if (events_.rows) rows_.Add(row);
      },
      options.fragments, options.digests);
  worker_ = std::thread([this, path] { Scan(path); });
}

void RecoverySession::Wait() {
  if (worker_.joinable()) worker_.join();
}

// The outcome crosses after the last rows.
void RecoverySession::Scan(std::string path) {
  const engine::RunOutcome run = engine_.Run(path);
  catalogue_->Finish();
  ScanOutcome outcome;
  outcome.ending = run.ending;
  outcome.counts = catalogue_->Counts();
  outcome.not_written = run.not_written;
  outcome.problems = run.problems;
  for (const auto& problem : outcome.counts.problems) {
    if (outcome.problems.size() < engine::kNamedProblems) outcome.problems.push_back(problem);
  }
  outcome.scratch_folder = scratch_.Path();
  outcome.scratch_error = scratch_.Error();
  rows_.Flush();
  outcome_.Set(std::move(outcome));
  running_ = false;
}

void RecoverySession::SetStatus(const std::string& text) {
  status_.Set(text);
}

// Only a new position crosses: the stages report before every unit, the bar moves a
// hundred times at most.
void RecoverySession::SetProgress(int position) {
  if (position == reported_position_) return;
  reported_position_ = position;
  progress_.Set(position);
}

void RecoverySession::AddRecoveredMessage(const engine::ExtractedMessage& message) {
  catalogue_->Add(message);
}

}  // namespace rescuva::session
