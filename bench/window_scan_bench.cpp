// rescuva-window-bench FILE|STORE CLI [PROGRAM_FOLDER]: scans a folder file (or a store) through
// the real window (offscreen) and with rescuva-cli, and reports both times and the longest stall of
// the window's user-interface thread during the scan, then the time a report takes to digest
// every listed message.
#include <sys/resource.h>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include <ctime>
#include <string>
#include <vector>

#include "app/main_frame.h"
#include "msgbox/message_call.h"
#include "views/htm_view.h"

namespace {

// The processor time the calling thread has taken.
double ThreadSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// The processor time, user and system, of this process (`who` RUSAGE_SELF) or of its
// ended children (RUSAGE_CHILDREN).
double ProcessSeconds(int who) {
  rusage usage{};
  getrusage(who, &usage);
  auto seconds = [](const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
  };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr,
                 "usage: rescuva-window-bench FOLDER_FILE|STORE RESCUVA_CLI [PROGRAM_FOLDER]\n");
    return 2;
  }
  rescuva::views::CHtm::PrepareHeadlessRun();
  QApplication application(argc, argv);
  rescuva::msgbox::SetMessageBoxPresenter([](const auto&) { return rescuva::msgbox::IDOK; });

  const auto cli_start = std::chrono::steady_clock::now();
  const double cli_processor_before = ProcessSeconds(RUSAGE_CHILDREN);
  const std::string command = std::string(argv[2]) + " --quiet '" + argv[1] + "' > /dev/null";
  if (std::system(command.c_str()) != 0) return 1;
  const double cli =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - cli_start).count();
  const double cli_processor = ProcessSeconds(RUSAGE_CHILDREN) - cli_processor_before;

  // the program's folder holds the scan's pages, which the window then shows
  if (argc == 4) QDir::setCurrent(QString::fromLocal8Bit(argv[3]));
  rescuva::app::CMainFrame frame({[](const QString&) { return true; }, [] {}});
  frame.resize(1280, 900);
  frame.show();
  // the window as a user finds it: the browser view has started
  while (!frame.Browser().Idle()) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  QApplication::processEvents();
  frame.ScanPage().PathBox().setText(QString::fromLocal8Bit(argv[1]));

  // a timer that should fire every 10 ms: the longest gap between two ticks, less the
  // interval, is the longest time the user-interface thread did not answer; the
  // processor time it took meanwhile is how long of that it was busy itself (the rest
  // it waited for a core)
  constexpr int kTick = 10;
  QElapsedTimer since_tick;
  qint64 longest_stall = 0;
  double longest_busy = 0;
  double busy_before = ThreadSeconds();
  QElapsedTimer scan;
  double worker_ended = 0;
  QTimer ticker;
  ticker.setInterval(kTick);
  QEventLoop loop;
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    longest_stall = std::max(longest_stall, since_tick.restart() - kTick);
    const double busy = ThreadSeconds();
    longest_busy = std::max(longest_busy, busy - busy_before);
    busy_before = busy;
    if (worker_ended == 0 && frame.ScanPage().Session() && !frame.ScanPage().Session()->Running()) {
      worker_ended = scan.elapsed() / 1000.0;
    }
    if (!frame.ScanPage().Scanning()) loop.quit();
  });
  scan.start();
  const double ui_start = ThreadSeconds();
  const double processor_start = ProcessSeconds(RUSAGE_SELF);
  since_tick.start();
  ticker.start();
  if (QFileInfo(QString::fromLocal8Bit(argv[1])).isDir()) {
    frame.ScanPage().ScanStore(QString::fromLocal8Bit(argv[1]));  // a whole store
  } else {
    frame.Run(rescuva::app::kRepair);
  }
  loop.exec();
  const double window = scan.elapsed() / 1000.0;
  const double ui_busy = ThreadSeconds() - ui_start;
  const double processor = ProcessSeconds(RUSAGE_SELF) - processor_start;
  ticker.stop();
  const int rows = frame.ItemList().List().Model().rowCount();
  std::printf("rescuva-cli          %.2f s, processor time %.2f s\n", cli, cli_processor);
  std::printf(
      "window               %.2f s (%.2f x the CLI), %d rows listed; the scan's own "
      "thread ended after %.2f s; processor time %.2f s\n",
      window, window / cli, rows, worker_ended, processor);
  std::printf(
      "the user-interface thread: busy %.2f s in all, its longest stall %lld ms, longest busy "
      "%.0f ms\n",
      ui_busy, static_cast<long long>(longest_stall), longest_busy * 1000);
  // what "Save report..." adds before it writes: the digests of every message and of
  // the source
  std::vector<rescuva::catalogue::CatalogueRow> listed;
  const auto input = frame.ScanPage().ReportOfScan(listed);
  if (const auto* session = frame.ScanPage().Session(); input && session) {
    auto seconds_since = [](std::chrono::steady_clock::time_point start) {
      return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    auto start = std::chrono::steady_clock::now();
    session->DigestRows(listed);
    const double messages = seconds_since(start);
    auto files = input->outcome->files;
    start = std::chrono::steady_clock::now();
    session->DigestFiles(files);
    std::printf("the report's digests %.2f s for %zu messages, %.2f s for the source\n", messages,
                listed.size(), seconds_since(start));
  }
  return 0;
}
