// rescuva-cli: the recovery without windows. Lists what the application would list,
// in the order the engine finds it, and saves it on request.
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>

#include "cli/cli_listing.h"
#include "cli/cli_options.h"
#include "cli/terminal_text.h"
#include "disk/disk_image.h"
#include "platform/scratch_files.h"
#include "platform/scratch_folder.h"
#include "report/chosen_columns.h"
#include "report/report_text.h"
#include "report/report_writer.h"
#include "rescuva/version.h"
#include "saving/message_saver.h"
#include "saving/output_names.h"
#include "session/recovery_session.h"
#include "store/mail_store.h"

namespace {

enum ExitCode { kDone = 0, kCannotOpen = 1, kBadUsage = 2, kCannotWrite = 3, kInterrupted = 130 };

std::atomic<bool> interrupted{false};
std::atomic<rescuva::session::RecoverySession*> running_session{nullptr};
static_assert(std::atomic<bool>::is_always_lock_free);
static_assert(std::atomic<rescuva::session::RecoverySession*>::is_always_lock_free);

void OnInterrupt(int) {
  interrupted = true;
  if (auto* session = running_session.load()) session->RequestStop();
}

void NameProblems(const std::vector<rescuva::engine::MessageProblem>& problems) {
  for (const auto& problem : problems) {
    std::fprintf(stderr, "not listed: offset %llu: %s\n",
                 static_cast<unsigned long long>(problem.offset),
                 rescuva::cli::EscapeControls(problem.reason).c_str());
  }
}

// Messages found but lost to the scratch folder: named, and the folder said.
bool ReportLost(const rescuva::session::ScanOutcome& outcome) {
  if (outcome.Lost() == 0) return false;
  NameProblems(outcome.problems);
  const std::string why =
      outcome.scratch_error.empty()
          ? "the scratch folder " + outcome.scratch_folder + " could not be written or read back"
          : "no scratch folder: " + outcome.scratch_error;
  std::fprintf(stderr, "rescuva-cli: %llu messages could not be listed: %s\n",
               static_cast<unsigned long long>(outcome.Lost()), why.c_str());
  return true;
}

void ReportSaving(const rescuva::saving::SaveReport& report) {
  for (const auto& failure : report.failures) {
    std::fprintf(stderr, "not saved: offset %llu \"%s\": %s\n",
                 static_cast<unsigned long long>(failure.offset),
                 rescuva::cli::EscapeControls(failure.subject).c_str(),
                 rescuva::cli::EscapeControls(failure.reason).c_str());
  }
  if (!report.destination_error.empty())
    std::fprintf(stderr, "%s\n", report.destination_error.c_str());
  for (const std::string& note : report.notes) {
    std::fprintf(stderr, "%s\n", rescuva::cli::EscapeControls(note).c_str());
  }
  std::fprintf(stderr, "%zu saved, %zu failed\n", report.saved, report.failures.size());
}

// A store's save makes a tree of its folders, except one mbox file for everything; a
// single folder file is named in a saved folder file as its own block names it, and is
// the one folder of a Thunderbird tree.
void PrepareRequest(rescuva::saving::SaveRequest& request, bool whole_store,
                    const rescuva::store::MailStore& store, const std::string& path) {
  using rescuva::saving::SaveFormat;
  if (!whole_store) {
    request.folder_name = rescuva::saving::FolderNameOf(path);
    if (request.format == SaveFormat::SaveAsMboxTree) request.folders = {{request.folder_name}};
    return;
  }
  if (request.format == SaveFormat::SaveAsMbox) return;
  for (const auto& folder : store.folders) {
    request.folders.push_back({folder.name, folder.parent, folder.special});
  }
}

int64_t Now() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

}  // namespace

int main(int argc, char** argv) {
  using namespace rescuva;
  std::string error;
  const auto options = cli::ParseCommandLine({argv + 1, argv + argc}, error);
  if (!options) {
    std::fprintf(stderr, "rescuva-cli: %s\n%s", error.c_str(), cli::kUsage);
    return kBadUsage;
  }
  if (options->help || options->version) {
    if (options->help) std::fputs(cli::kUsage, stdout);
    if (options->version) std::printf("rescuva-cli %s\n", kVersion);
    return kDone;
  }
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  // past a file-size limit a write fails and the save says so, as on a full disk
  ::signal(SIGXFSZ, SIG_IGN);
  platform::RemoveStaleScratchFolders();
  report::ReportRun run{options->folder_file, report::CommandLine({argv, argv + argc}), Now(), 0};
  if (!options->report.empty()) {
    // a report that cannot be written is said before the scan, not after it
    if (const std::string why = report::PrepareReportFolder(options->report); !why.empty()) {
      std::fprintf(stderr, "rescuva-cli: %s\n", why.c_str());
      return kCannotWrite;
    }
  }

  // the spreadsheet, like every output, is made before the scan and never over a file
  platform::OutputFile csv;
  if (!options->csv.empty()) {
    const std::string header = report::CsvHeader(options->columns);
    if (!csv.Create(options->csv, true) ||
        !csv.Write({reinterpret_cast<const uint8_t*>(header.data()), header.size()})) {
      std::fprintf(stderr, "rescuva-cli: cannot create %s: %s\n", options->csv.c_str(),
                   csv.Error().c_str());
      return kCannotWrite;
    }
  }
  cli::CliListing listing(*options, stdout, stderr, !options->quiet && ::isatty(STDERR_FILENO));
  if (csv.IsOpen()) listing.SetCsv(&csv);
  session::ImmediateCrossing crossing;
  session::RecoverySession session(crossing, listing.Events());
  // a folder is a store; a disk image with file systems is the stores on them (copied
  // into the session's scratch folder) and a carved scan of the whole image
  bool whole_store = store::IsStoreFolder(options->folder_file);
  store::MailStore mail_store;
  if (whole_store) {
    mail_store = store::ReadStore(options->folder_file);
  } else if (auto image =
                 disk::ReadDiskImage(options->folder_file, session.ScratchPath(), interrupted)) {
    whole_store = true;
    mail_store = std::move(image->store);
  }
  std::optional<saving::SaveRequest> request = options->save;
  if (request) PrepareRequest(*request, whole_store, mail_store, options->folder_file);
  std::optional<saving::MessageSaver> saver;
  if (request) {
    saver.emplace(
        [&session](int folder) -> const engine::MessageSource& { return session.Source(folder); },
        *request);
    if (!saver->Open()) {
      std::fprintf(stderr, "%s\n", saver->Report().destination_error.c_str());
      return kCannotWrite;
    }
    listing.SetSaver(&*saver);
  }
  running_session = &session;
  if (interrupted) session.RequestStop();
  session::ScanOptions scan;
  scan.fragments = options->fragments;
  const bool report = !options->report.empty();
  scan.digests = options->json || report || !options->csv.empty();
  scan.trace = options->json || report;
  scan.source_digests = report;
  if (options->repair) scan.repair = engine::Repair::kDeletedBlocks;
  if (whole_store) {
    listing.SetStore(&session.Store());
    session.StartStore(mail_store, scan);
  } else {
    session.Start(options->folder_file, scan);
  }
  session.Wait();
  listing.FinishSaving();  // what was listed is saved before the outcome is told
  running_session = nullptr;
  const session::ScanOutcome& outcome = listing.Outcome();
  for (const std::string& note : outcome.notes) {
    std::fprintf(stderr, "%s\n", cli::EscapeControls(note).c_str());
  }
  if (outcome.ending == engine::RunEnding::kCannotOpen) {
    std::fprintf(stderr, whole_store ? "No Outlook Express mail file in this folder\n"
                                     : "Unable to open file...\n");
    return kCannotOpen;
  }
  listing.PrintSummary();
  if (options->timings) listing.PrintTimings();
  int code = kDone;
  if (ReportLost(outcome)) code = kCannotWrite;
  if (outcome.ending == engine::RunEnding::kReadError) {
    std::fprintf(stderr, "rescuva-cli: reading %s failed; the listing ends there\n",
                 options->folder_file.c_str());
    code = kCannotOpen;
  }
  if (saver) {
    const bool finished = saver->Finish();
    ReportSaving(saver->Report());
    if (!finished || !saver->Report().failures.empty()) code = kCannotWrite;
  }
  if (csv.IsOpen() && (!csv.Close() || !listing.CsvWritten())) {
    std::fprintf(stderr, "rescuva-cli: cannot write %s: %s\n", options->csv.c_str(),
                 csv.Error().c_str());
    code = kCannotWrite;
  }
  if (report) {
    run.end_time = Now();
    const report::ReportInput input{
        run, &outcome, &listing.Rows(), whole_store ? &session.Store() : nullptr,
        saver ? saver->Report().saved_as : std::vector<saving::SavedMessage>{}};
    const report::ReportOutcome written = report::WriteReport(input, options->report);
    if (written.Ok()) {
      if (!options->quiet) std::fprintf(stderr, "report written to %s\n", options->report.c_str());
    } else {
      std::fprintf(stderr, "rescuva-cli: %s\n", cli::EscapeControls(written.error).c_str());
      code = kCannotWrite;
    }
  }
  return interrupted ? kInterrupted : code;
}
