#include "app/desktop_handler.h"

#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>

namespace rescuva::app {

bool DesktopHasHandler(const QString& file) {
  const QString query = QStandardPaths::findExecutable("xdg-mime");
  if (query.isEmpty()) return false;
  const QString type = QMimeDatabase().mimeTypeForFile(file).name();
  QProcess process;
  process.start(query, {"query", "default", type});
  if (!process.waitForFinished(5000)) {
    process.kill();
    process.waitForFinished();
    return false;
  }
  return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0 &&
         !process.readAllStandardOutput().trimmed().isEmpty();
}

}  // namespace rescuva::app
