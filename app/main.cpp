// Rescuva for Outlook Express: never as root, one copy per machine and per session, the
// settings store, the message box, scratch folders left by copies that ended without
// removing them, and the main window shown maximised with a file named on the command
// line ready to scan; or, asked on the command line, messages printed to PDF without a
// window.
#include <signal.h>
#include <unistd.h>

#include <QApplication>
#include <cstdio>

#include "app/main_frame.h"
#include "app/print_command.h"
#include "msgbox/message_box_dialog.h"
#include "msgbox/message_call.h"
#include "platform/scratch_folder.h"
#include "platform/single_instance.h"
#include "views/htm_view.h"

namespace {

constexpr const char* kRootRefused =
    "Rescuva for Outlook Express does not run as root: the view that shows recovered "
    "messages needs its sandbox, which root cannot have. Please start it as your own "
    "user.";

bool RefusedAsRoot() {
  return ::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX");
}

// Printing runs beside a window or another print, never in its place.
int Print(int argc, char** argv) {
  using namespace rescuva;
  if (RefusedAsRoot()) {
    std::fprintf(stderr, "rescuva: %s\n", kRootRefused);
    return 1;
  }
  views::CHtm::PrepareHeadlessRun();
  QApplication application(argc, argv);
  platform::RemoveStaleScratchFolders();
  return app::RunPrintCommand({argv + 1, argv + argc});
}

}  // namespace

int main(int argc, char** argv) {
  using namespace rescuva;
  if (app::IsPrintCommand({argv + 1, argv + argc})) return Print(argc, argv);
  static platform::SingleInstance instance("{719967F0-DCC6-49b5-9C61-DE91175C3187}");
  // past a file-size limit a write fails and the save says so, as on a full disk
  ::signal(SIGXFSZ, SIG_IGN);
  views::CHtm::PrepareRendering();
  QApplication application(argc, argv);
  QApplication::setOrganizationName("Rescuva");
  QApplication::setApplicationName(msgbox::kApplicationTitle);
  msgbox::InstallMessageBoxDialog();
  // the browser engine that shows messages will not start as root without its sandbox,
  // which untrusted mail must not be shown without: the user is told why, not left
  // with a line of the engine's own
  if (RefusedAsRoot()) {
    std::fprintf(stderr, "rescuva: %s\n", kRootRefused);
    std::fflush(stderr);
    msgbox::ShowApplicationMessage(kRootRefused, msgbox::MB_ICONEXCLAMATION);
    return 1;
  }
  if (!instance.First()) {
    msgbox::ShowApplicationMessage("Another Instance of Rescuva for Outlook Express is running ",
                                   msgbox::MB_ICONEXCLAMATION);
    return 0;
  }
  platform::RemoveStaleScratchFolders();
  app::CMainFrame frame;
  // a file named on the command line (the desktop's "open with") waits in the path
  // box for Scan
  const QStringList arguments = QApplication::arguments();
  if (arguments.size() > 1) frame.ScanPage().PathBox().setText(arguments.at(1));
  frame.showMaximized();
  return application.exec();
}
