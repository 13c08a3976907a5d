#include "app/scan_page_layout.h"

namespace rescuva::app {

ScanPageLayout LayoutScanPage(int cx, int cy) {
  const int half = cy / 2;
  ScanPageLayout layout;
  layout.counter = QRect(20, 15, 140, 18);
  layout.status = QRect(340, 15, cx - 540, 18);
  layout.progress = QRect(20, 51, cx - 120, 18);
  layout.prompt = QRect(97, half - 10, cx - 252, 25);
  layout.path = QRect(97, half + 20, cx - 252, 25);
  layout.browse = QRect(cx - 150, half + 20, 50, 25);
  layout.store = QRect(cx - 310, half + 55, 210, 25);
  layout.image = QRect(cx - 530, half + 55, 210, 25);
  layout.scan = QRect(cx - 90, cy - 40, 80, 30);
  layout.back = QRect(cx - 190, cy - 40, 80, 30);
  layout.stop = layout.scan;
  return layout;
}

}  // namespace rescuva::app
