#include "app/view_sel_save_opp.h"

#include <QFileDialog>
#include <QPainter>

#include "app/page_look.h"
#include "msgbox/message_call.h"
#include "saving/output_names.h"

namespace rescuva::app {
namespace {

constexpr saving::SaveScope kScopes[4] = {
    saving::SaveScope::SaveSelected, saving::SaveScope::SaveAll,
    saving::SaveScope::SaveAllButDeleted, saving::SaveScope::SaveAllButExisting};
constexpr const char* kScopeTexts[4] = {"Save all selected emails", "Save all",
                                        "Save all but deleted", "Save all but existing"};

}  // namespace

std::optional<std::string> ChooseSaveFolder(QWidget* parent) {
  QFileDialog dialog(parent, "Select Folder");
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly);
  dialog.setLabelText(QFileDialog::FileName, "Please Select Folder to save  emails");
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().front().toStdString();
}

CViewSelSaveOpp::CViewSelSaveOpp(
    WizardFrame& frame, std::function<std::vector<saving::SaveItem>()> rows,
    std::function<bool(saving::SaveRequest, std::vector<saving::SaveItem>)> start_saving,
    QWidget* parent)
    : QWidget(parent),
      frame_(frame),
      rows_(std::move(rows)),
      start_saving_(std::move(start_saving)),
      choose_folder_([this] { return ChooseSaveFolder(this); }),
      dbx_(new QRadioButton("Save as DBX", this)),
      eml_(new QRadioButton("Save as EML ( Outlook Express )", this)),
      attachments_(new QRadioButton("Save attachments", this)),
      pdf_(new QRadioButton("Save as PDF, a file per email", this)),
      one_pdf_(new QRadioButton("Save as PDF, all in one file", this)),
      csv_(new QRadioButton("Save the list as CSV", this)),
      save_(PageButton("Save", ButtonPicture::kForward, this)),
      back_(PageButton("Back", ButtonPicture::kBack, this)) {
  for (QRadioButton* button : {dbx_, eml_, attachments_, pdf_, one_pdf_, csv_}) {
    formats_.addButton(button);
  }
  dbx_->setChecked(true);
  for (int i = 0; i < 4; ++i) {
    scopes_[i] = new QRadioButton(kScopeTexts[i], this);
    scope_group_.addButton(scopes_[i]);
  }
  scopes_[0]->setChecked(true);
  connect(save_, &QPushButton::clicked, this, [this] { OnSave(); });
  connect(back_, &QPushButton::clicked, this, [this] { OnBack(); });
}

saving::SaveFormat CViewSelSaveOpp::Format() const {
  if (eml_->isChecked()) return saving::SaveFormat::SaveAsEml;
  if (attachments_->isChecked()) return saving::SaveFormat::SaveAsAttachments;
  if (pdf_->isChecked() || one_pdf_->isChecked()) return saving::SaveFormat::SaveAsPdf;
  if (csv_->isChecked()) return saving::SaveFormat::SaveAsCsv;
  return saving::SaveFormat::SaveAsDbx;
}

saving::SaveScope CViewSelSaveOpp::Scope() const {
  for (int i = 0; i < 4; ++i) {
    if (scopes_[i]->isChecked()) return kScopes[i];
  }
  return saving::SaveScope::SaveSelected;
}

QRadioButton& CViewSelSaveOpp::FormatButton(saving::SaveFormat format) {
  switch (format) {
    case saving::SaveFormat::SaveAsEml:
      return *eml_;
    case saving::SaveFormat::SaveAsAttachments:
      return *attachments_;
    case saving::SaveFormat::SaveAsPdf:
      return *pdf_;
    case saving::SaveFormat::SaveAsCsv:
      return *csv_;
    default:
      return *dbx_;
  }
}

QRadioButton& CViewSelSaveOpp::ScopeButton(saving::SaveScope scope) {
  for (int i = 0; i < 4; ++i) {
    if (kScopes[i] == scope) return *scopes_[i];
  }
  return *scopes_[0];
}

void CViewSelSaveOpp::OnSave() {
  const std::vector<saving::SaveItem> items = saving::ItemsInScope(rows_(), Scope());
  if (items.empty()) {
    msgbox::ShowApplicationMessage("There are no emails to save for this choice",
                                   msgbox::MB_ICONINFORMATION);
    return;
  }
  const auto folder = choose_folder_();
  if (!folder) return;
  saving::SaveRequest request{Format(), Scope(), *folder};
  request.one_pdf = request.format == saving::SaveFormat::SaveAsPdf && OnePdf();
  // one new file in the chosen folder, never over an existing file
  if (request.format == saving::SaveFormat::SaveAsDbx) {
    request.destination = saving::FreeFileName(*folder, "Recovered Emails", ".dbx");
  } else if (request.one_pdf) {
    request.destination = saving::FreeFileName(*folder, "Recovered Emails", ".pdf");
  } else if (request.format == saving::SaveFormat::SaveAsCsv) {
    request.destination = saving::FreeFileName(*folder, "Recovered Emails", ".csv");
  }
  if (!start_saving_(std::move(request), items)) return;
  frame_.SetState(WizardState::SaveProgress);
  const auto heights = PageRowHeights(WizardState::SaveProgress, frame_.ClientHeight());
  for (int row = 0; row < kPageRows; ++row)
    frame_.SetPageRow(row, heights[static_cast<size_t>(row)]);
  frame_.LayoutPages();
}

void CViewSelSaveOpp::OnBack() {
  frame_.SetState(WizardState::Results);
  const int h = frame_.ClientHeight();
  frame_.SetPageRow(0, std::max(0, h - kScanPageHeight));
  frame_.SetPageRow(1, h);
  frame_.SetPageRow(2, 0);
  frame_.LayoutPages();
}

void CViewSelSaveOpp::resizeEvent(QResizeEvent*) {
  const int w = width(), h = height(), a = h / 2;
  format_frame_ = QRect(100, a - 100, 400, 90);
  scope_frame_ = QRect(100, a + 10, 400, 130);
  dbx_->setGeometry(120, a - 90, 300, 18);
  eml_->setGeometry(120, a - 62, 300, 18);
  more_frame_ = QRect(520, a - 100, 300, 130);
  int y = a - 90;
  for (QRadioButton* button : {attachments_, pdf_, one_pdf_, csv_}) {
    button->setGeometry(540, y, 260, 18);
    y += 28;
  }
  for (int i = 0; i < 4; ++i) scopes_[i]->setGeometry(120, a + 18 + 28 * i, 300, 18);
  save_->setGeometry(w - 90, h - 40, 80, 30);
  back_->setGeometry(w - 190, h - 40, 80, 30);
}

void CViewSelSaveOpp::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  DrawBanner(painter);
  painter.setPen(palette().color(QPalette::Shadow));
  painter.drawRect(format_frame_.adjusted(0, 0, -1, -1));
  painter.drawRect(scope_frame_.adjusted(0, 0, -1, -1));
  painter.drawRect(more_frame_.adjusted(0, 0, -1, -1));
}

}  // namespace rescuva::app
