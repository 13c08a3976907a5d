#include "app/print_command.h"

#include <QCoreApplication>
#include <cstdio>
#include <thread>

#include "saving/message_saver.h"
#include "session/qt_crossing.h"
#include "session/recovery_session.h"
#include "store/mail_store.h"
#include "views/pdf_printer.h"

namespace rescuva::app {
namespace {

constexpr const char* kUsage =
    "usage: rescuva --print-pdf DIR | --print-one-pdf FILE [--scope all|existing|deleted]\n"
    "               [--name TEMPLATE] [--repair] FILE|STORE\n";

struct PrintOptions {
  saving::SaveRequest request;
  std::string source;
  bool repair = false;
};

std::optional<PrintOptions> Parse(const std::vector<std::string>& args, std::string& error) {
  PrintOptions options;
  options.request.format = saving::SaveFormat::SaveAsPdf;
  options.request.scope = saving::SaveScope::SaveAll;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool valued =
        arg == "--print-pdf" || arg == "--print-one-pdf" || arg == "--scope" || arg == "--name";
    if (valued && i + 1 >= args.size()) {
      error = arg + " needs a value";
      return std::nullopt;
    }
    if (arg == "--print-pdf" || arg == "--print-one-pdf") {
      options.request.destination = args[++i];
      options.request.one_pdf = arg == "--print-one-pdf";
    } else if (arg == "--scope") {
      const auto scope = saving::ScopeNamed(args[++i]);
      if (!scope) {
        error = "unknown scope " + args[i];
        return std::nullopt;
      }
      options.request.scope = *scope;
    } else if (arg == "--name") {
      options.request.name = saving::NameTemplate::Parse(args[++i], error);
      if (!options.request.name) return std::nullopt;
    } else if (arg == "--repair") {
      options.repair = true;
    } else if (arg.starts_with("-") || !options.source.empty()) {
      error = arg.starts_with("-") ? "unknown option " + arg : "more than one file given";
      return std::nullopt;
    } else {
      options.source = arg;
    }
  }
  if (options.source.empty() || options.request.destination.empty()) {
    error = "a destination and a folder file or store are needed";
    return std::nullopt;
  }
  if (options.repair) options.request.repair = engine::Repair::kDeletedBlocks;
  return options;
}

// Scans the source, then prints what the scope takes, on this (a worker) thread.
int Print(PrintOptions options, std::shared_ptr<saving::PagePrinter> printer) {
  std::vector<saving::SaveItem> items;
  session::ScanOutcome outcome;
  session::ImmediateCrossing crossing;
  session::SessionEvents events;
  events.rows = [&](std::vector<catalogue::CatalogueRow>& rows) {
    for (const catalogue::CatalogueRow& row : rows) {
      saving::SaveItem item = saving::ItemOf(row);
      if (saving::InScope(item, options.request.scope)) items.push_back(std::move(item));
    }
  };
  events.finished = [&](const session::ScanOutcome& ended) { outcome = ended; };
  session::RecoverySession session(crossing, events);
  session::ScanOptions scan;
  scan.repair = options.request.repair;
  if (store::IsStoreFolder(options.source)) {
    session.StartStore(options.source, scan);
  } else {
    session.Start(options.source, scan);
  }
  session.Wait();
  if (outcome.ending == engine::RunEnding::kCannotOpen) {
    std::fprintf(stderr, "rescuva: cannot open %s\n", options.source.c_str());
    return 1;
  }
  options.request.printer = std::move(printer);
  saving::MessageSaver saver(
      [&session](int folder) -> const engine::MessageSource& { return session.Source(folder); },
      options.request);
  if (!saver.Open()) {
    std::fprintf(stderr, "rescuva: %s\n", saver.Report().destination_error.c_str());
    return 3;
  }
  for (const saving::SaveItem& item : items) saver.Save(item);
  const bool finished = saver.Finish();
  const saving::SaveReport& report = saver.Report();
  for (const saving::SaveFailure& failure : report.failures) {
    std::fprintf(stderr, "not printed: offset %llu: %s\n",
                 static_cast<unsigned long long>(failure.offset), failure.reason.c_str());
  }
  for (const std::string& note : report.notes) std::fprintf(stderr, "%s\n", note.c_str());
  if (!finished) std::fprintf(stderr, "%s\n", report.destination_error.c_str());
  std::fprintf(stderr, "%zu printed, %zu failed\n", report.saved, report.failures.size());
  return finished && report.failures.empty() ? 0 : 3;
}

}  // namespace

bool IsPrintCommand(const std::vector<std::string>& args) {
  for (const std::string& arg : args) {
    if (arg == "--print-pdf" || arg == "--print-one-pdf") return true;
  }
  return false;
}

int RunPrintCommand(const std::vector<std::string>& args) {
  std::string error;
  auto options = Parse(args, error);
  if (!options) {
    std::fprintf(stderr, "rescuva: %s\n%s", error.c_str(), kUsage);
    return 2;
  }
  QObject receiver;
  session::QtCrossing crossing(&receiver);
  auto printer = std::make_shared<views::PdfPrinter>(crossing);
  int status = 0;
  std::thread work([&] {
    status = Print(std::move(*options), printer);
    QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                              Qt::QueuedConnection);
  });
  QCoreApplication::exec();
  work.join();
  return status;
}

}  // namespace rescuva::app
