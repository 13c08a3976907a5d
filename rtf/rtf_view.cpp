#include "rtf/rtf_view.h"

namespace rescuva::rtf {
namespace {

constexpr double kTabTwips = 640;
constexpr double kTwipsPerInch = 1440;

}  // namespace

CRtfView::CRtfView(QWidget* parent) : QWidget(parent), edit_(new QTextEdit(this)) {
  edit_->setAcceptRichText(false);
  edit_->setFont(QFont("Times New Roman", 10));
  edit_->setTabStopDistance(kTabTwips / kTwipsPerInch * logicalDpiX());
}

void CRtfView::resizeEvent(QResizeEvent*) {
  edit_->setGeometry(rect());
}

}  // namespace rescuva::rtf
