// The main of the tests that need widgets: an application on the offscreen platform
// unless another is asked for, and settings kept in a folder of the test run's own.
#include <gtest/gtest.h>

#include <QApplication>
#include <QStandardPaths>

#include "views/htm_view.h"

int main(int argc, char** argv) {
  rescuva::views::CHtm::PrepareHeadlessRun();
  QStandardPaths::setTestModeEnabled(true);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
