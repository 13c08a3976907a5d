// rescuva-icon-art OUTPUT_FOLDER: draws the program's icon as PNG files at the usual
// sizes, OUTPUT_FOLDER/SIZExSIZE/rescuva.png.
#include <QDir>
#include <QGuiApplication>
#include <cstdio>

#include "app/program_icon.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: rescuva-icon-art OUTPUT_FOLDER\n");
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
    const QString folder = QString("%1/%2x%2").arg(argv[1]).arg(size);
    if (!QDir().mkpath(folder) ||
        !rescuva::app::ProgramIconImage(size).save(folder + "/rescuva.png")) {
      return 1;
    }
  }
  return 0;
}
