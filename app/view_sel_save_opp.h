// CViewSelSaveOpp, the save option page: the output form (a new Outlook Express
// folder file, or one EML file per message; beside them the attachments alone, PDF
// files and a spreadsheet of the list) and which messages to save; Save goes on to the
// save progress page, Back returns to the results.
#pragma once

#include <QButtonGroup>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>
#include <functional>
#include <optional>

#include "app/wizard.h"
#include "saving/save_request.h"

namespace rescuva::app {

class CViewSelSaveOpp : public QWidget {
 public:
  // `choose_folder` asks for the destination folder (nothing when cancelled);
  // `start_saving` receives the request once it is complete, and says whether the save
  // began (the page stays when it did not, or when its output was made at once, as a
  // spreadsheet is).
  CViewSelSaveOpp(
      WizardFrame& frame, std::function<std::vector<saving::SaveItem>()> rows,
      std::function<bool(saving::SaveRequest, std::vector<saving::SaveItem>)> start_saving,
      QWidget* parent = nullptr);

  void SetFolderChooser(std::function<std::optional<std::string>()> choose) {
    choose_folder_ = std::move(choose);
  }
  void OnSave();
  void OnBack();
  bool SaveVisible() const { return save_->isVisible(); }
  saving::SaveFormat Format() const;
  // With the PDF form: all messages in one file.
  bool OnePdf() const { return one_pdf_->isChecked(); }
  saving::SaveScope Scope() const;
  // The PDF form's button is the one of a file a message.
  QRadioButton& FormatButton(saving::SaveFormat format);
  QRadioButton& OnePdfButton() { return *one_pdf_; }
  QRadioButton& ScopeButton(saving::SaveScope scope);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  WizardFrame& frame_;
  std::function<std::vector<saving::SaveItem>()> rows_;
  std::function<bool(saving::SaveRequest, std::vector<saving::SaveItem>)> start_saving_;
  std::function<std::optional<std::string>()> choose_folder_;
  QRadioButton* dbx_;
  QRadioButton* eml_;
  QRadioButton* attachments_;
  QRadioButton* pdf_;
  QRadioButton* one_pdf_;
  QRadioButton* csv_;
  QRadioButton* scopes_[4];
  QButtonGroup formats_, scope_group_;
  QPushButton* save_;
  QPushButton* back_;
  QRect format_frame_, scope_frame_, more_frame_;
};

// The folder chooser of the desktop: "Select Folder", "Please Select Folder to save  emails".
std::optional<std::string> ChooseSaveFolder(QWidget* parent);

}  // namespace rescuva::app
