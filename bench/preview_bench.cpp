// rescuva-preview-bench: the time from a click on a message row to the finished
// rendering of a 1 MB HTML message with pictures, through the real window.
#include <unistd.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <cstdio>
#include <string>

#include "app/main_frame.h"
#include "bench/folder_generator.h"
#include "msgbox/message_call.h"
#include "views/htm_view.h"

namespace {

// About 1 MB: a long HTML body and eight inline pictures.
std::string LargeHtmlMessage() {
  std::string html = "<html><body><h1>Report</h1>";
  for (int i = 0; html.size() < 700000; ++i) {
    html += "<p>Paragraph " + std::to_string(i) +
            " of the quarterly report, with <b>bold</b> and "
            "<i>italic</i> words and a <a href=\"#x\">link</a>.</p>";
    if (i % 500 == 0)
      html += "<img src=\"cid:pic" + std::to_string(i / 500 % 8) + "@example.org\">";
  }
  html += "</body></html>";
  std::string text =
      "From: a@example.org\r\nTo: b@example.org\r\nSubject: Large report\r\n"
      "MIME-Version: 1.0\r\nContent-Type: multipart/related; boundary=\"rel\"\r\n\r\n"
      "--rel\r\nContent-Type: text/html; charset=utf-8\r\n\r\n" +
      html + "\r\n";
  const std::string picture =
      "iVBORw0KGgoAAAANSUhEUgAAABAAAAAQCAIAAACQkWg2AAAAJElEQVR42mO4YGAARwYJF+"
      "AIlzjDINRAjCJk8cGoYTQeBoUGAGB6SBAa6oyiAAAAAElFTkSuQmCC";
  for (int i = 0; i < 8; ++i) {
    text +=
        "--rel\r\nContent-Type: image/png\r\nContent-Transfer-Encoding: base64\r\nContent-ID: "
        "<pic" +
        std::to_string(i) + "@example.org>\r\n\r\n";
    for (int k = 0; k < 400; ++k)
      text += picture.substr(0, 76) + "\r\n";  // bulk, as real pictures have
  }
  return text + "--rel--\r\n";
}

}  // namespace

int main(int argc, char** argv) {
  rescuva::views::CHtm::PrepareHeadlessRun();
  QApplication application(argc, argv);
  rescuva::msgbox::SetMessageBoxPresenter([](const auto&) { return rescuva::msgbox::IDOK; });
  const std::string path = "/tmp/rescuva-preview-bench-" + std::to_string(::getpid()) + ".dbx";
  const std::string message = LargeHtmlMessage();
  rescuva::bench::WriteGeneratedFolder(
      path, 1, [&](size_t) { return rescuva::bench::GeneratedMessage{message}; }, {0});

  rescuva::app::CMainFrame frame({[](const QString&) { return true; }, [] {}});
  frame.resize(1280, 900);
  frame.show();
  frame.ScanPage().PathBox().setText(QString::fromStdString(path));
  frame.Run(rescuva::app::kRepair);
  if (!QTest::qWaitFor([&] { return !frame.ScanPage().Scanning(); }, 60000)) return 1;
  QTest::qWait(300);
  if (!QTest::qWaitFor([&] { return frame.Browser().Idle(); }, 20000)) return 1;
  auto& list = frame.ItemList().List();
  const QPoint row = list.visualRect(list.Model().index(0, 4)).center();
  double best = 1e9, worst = 0, preparing = 0;
  for (int i = 0; i < 5; ++i) {
    QElapsedTimer timer;
    timer.start();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, row);
    preparing = std::max(preparing, timer.nsecsElapsed() / 1e6);  // extraction, loader, copy
    if (!QTest::qWaitFor([&] { return frame.Browser().Idle(); }, 20000)) return 1;
    const double ms = timer.nsecsElapsed() / 1e6;
    best = std::min(best, ms);
    worst = std::max(worst, ms);
  }
  std::printf("extraction, loading and copying: at most %.0f ms of it\n", preparing);
  std::printf("message size %.2f MB\n", message.size() / 1e6);
  std::printf("click to finished rendering: best %.0f ms, worst %.0f ms (5 clicks)\n", best, worst);
  std::remove(path.c_str());
  return 0;
}
