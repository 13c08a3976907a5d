#include "app/data_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace rescuva::app {

QString FolderHolding(const QString& start_folder, const QString& name) {
  const QString program = QCoreApplication::applicationDirPath();
  const QString candidates[] = {start_folder, program + "/",
                                QDir::cleanPath(program + "/" + RESCUVA_DATA_FROM_PROGRAM) + "/"};
  for (const QString& folder : candidates) {
    if (QFileInfo::exists(folder + name)) return folder;
  }
  return start_folder;
}

}  // namespace rescuva::app
