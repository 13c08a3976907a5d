// Rescuva for Outlook Express: one copy per machine, the settings store, the message
// box, scratch folders left by copies that ended without removing them, and the main
// window shown maximised with a file named on the command line ready to scan.
#include <QApplication>

#include "app/main_frame.h"
#include "msgbox/message_box_dialog.h"
#include "msgbox/message_call.h"
#include "platform/scratch_folder.h"
#include "platform/single_instance.h"
#include "views/htm_view.h"

int main(int argc, char** argv) {
  using namespace rescuva;
  static platform::SingleInstance instance("{719967F0-DCC6-49b5-9C61-DE91175C3187}");
  views::CHtm::PrepareRendering();
  QApplication application(argc, argv);
  QApplication::setOrganizationName("Rescuva");
  QApplication::setApplicationName(msgbox::kApplicationTitle);
  msgbox::InstallMessageBoxDialog();
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
