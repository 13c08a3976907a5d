// The main of the tests that need widgets: an application on the offscreen platform
// unless another is asked for, and settings kept in a folder of this test process's
// own, so that tests run side by side never write over each other's settings.
#include <gtest/gtest.h>

#include <QApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "views/htm_view.h"

int main(int argc, char** argv) {
  rescuva::views::CHtm::PrepareHeadlessRun();
  QStandardPaths::setTestModeEnabled(true);
  QTemporaryDir settings;
  for (auto format : {QSettings::NativeFormat, QSettings::IniFormat}) {
    QSettings::setPath(format, QSettings::UserScope, settings.path());
  }
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
