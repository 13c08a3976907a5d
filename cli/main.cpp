// rescuva-cli: the recovery without windows. Lists what the application would list,
// in the order the engine finds it, and saves it on request.
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>

#include "app/message_saver.h"
#include "cli/cli_listing.h"
#include "cli/cli_options.h"
#include "engine/dbx_recovery_engine.h"
#include "msgbox/message_call.h"

namespace {

enum ExitCode { kDone = 0, kCannotOpen = 1, kBadUsage = 2, kCannotWrite = 3, kInterrupted = 130 };

std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

void OnInterrupt(int) {
  interrupted = true;
}

void ReportSaving(const rescuva::app::SaveReport& report) {
  for (const auto& failure : report.failures) {
    std::fprintf(stderr, "not saved: offset %llu \"%s\": %s\n",
                 static_cast<unsigned long long>(failure.offset), failure.subject.c_str(),
                 failure.reason.c_str());
  }
  if (!report.destination_error.empty())
    std::fprintf(stderr, "%s\n", report.destination_error.c_str());
  std::fprintf(stderr, "%zu saved, %zu failed\n", report.saved, report.failures.size());
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
  // Messages of the engine go to stderr as plain lines.
  msgbox::SetMessageBoxPresenter([](const msgbox::MessageBoxOptions& box) {
    if (const auto* text = std::get_if<std::string>(&box.message_text)) {
      std::fprintf(stderr, "%s\n", text->c_str());
    }
    return msgbox::IDOK;
  });
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);

  cli::CliListing listing(*options, interrupted, stdout, stderr,
                          !options->quiet && ::isatty(STDERR_FILENO));
  engine::DbxRecoveryEngine engine(listing);
  if (!engine.OpenSource(options->folder_file)) {
    msgbox::ShowApplicationMessage("Unable to open file...", msgbox::MB_ICONINFORMATION);
    return kCannotOpen;
  }
  engine.CloseSource();
  std::optional<app::MessageSaver> saver;
  if (options->save) {
    saver.emplace(engine, *options->save);
    if (!saver->Open()) {
      std::fprintf(stderr, "%s\n", saver->Report().destination_error.c_str());
      return kCannotWrite;
    }
    listing.SetSaver(&*saver);
  }
  engine.Run(options->folder_file);
  listing.Finish();
  if (!engine.IsSourceOpen()) return kCannotOpen;
  listing.PrintSummary();
  if (options->timings) listing.PrintTimings();
  int code = kDone;
  if (saver) {
    const bool finished = saver->Finish();
    ReportSaving(saver->Report());
    if (!finished || !saver->Report().failures.empty()) code = kCannotWrite;
  }
  return interrupted ? kInterrupted : code;
}
