// Where the scan page puts its controls for a client size (cx, cy), and which of
// them show in each of its states.
#pragma once

#include <QRect>

namespace rescuva::app {

struct ScanPageLayout {
  QRect counter;   // only in wizard state 2
  QRect status;    // only in wizard state 2
  QRect progress;  // only in wizard state 2
  QRect prompt;
  QRect path;
  QRect browse;
  QRect store;  // "Repair store folder...", under the browse button
  QRect image;  // "Open disk image...", left of it
  QRect scan;
  QRect back;
  QRect stop;  // the scan button's place: the two never show together
};

ScanPageLayout LayoutScanPage(int cx, int cy);

}  // namespace rescuva::app
