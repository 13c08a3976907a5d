// CViewSelSaveOpp, the save option page: the output form (a new Outlook Express
// folder file, or one EML file per message) and which messages to save; Save goes on
// to the save progress page, Back returns to the results.
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
  // began (the page stays when it did not).
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
  saving::SaveScope Scope() const;
  QRadioButton& FormatButton(saving::SaveFormat format);
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
  QRadioButton* scopes_[4];
  QButtonGroup formats_, scope_group_;
  QPushButton* save_;
  QPushButton* back_;
  QRect format_frame_, scope_frame_;
};

// The folder chooser of the desktop: "Select Folder", "Please Select Folder to save  emails".
std::optional<std::string> ChooseSaveFolder(QWidget* parent);

}  // namespace rescuva::app
