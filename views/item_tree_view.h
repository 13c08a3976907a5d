// CItemTreeView, the folder tree pane: a caption "Recoverd Folder" over a tree, inside a
// one-pixel sunken border. A file's scan leaves the tree empty; a store's scan shows
// the store's folders with their counts, and choosing one chooses the rows listed.
#pragma once

#include <QTreeWidget>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "catalogue/folder_tally.h"
#include "store/mail_store.h"

#include "toolkit/caption_bar.h"

namespace rescuva::views {

class CItemTreeView : public QWidget {
 public:
  explicit CItemTreeView(QWidget* parent = nullptr);

  QTreeWidget& Tree() { return *tree_; }
  toolkit::CaptionBar& Caption() { return *caption_; }
  void Clear();
  // The folders of `store` below a root item that stands for all of them, counted
  // as rows arrive; the root is chosen. Folders nested deeper than the view can lay
  // out show beside their parent.
  void ShowStore(const store::MailStore& store);
  void Count(const std::vector<catalogue::CatalogueRow>& rows);
  // The pane's width that shows every folder's name and counts whole, with room for
  // counts of five digits.
  int WidthForNames() const;
  // The folder chosen: -1 for the root, or when no store is shown.
  int ChosenFolder() const;
  // Called whenever the user chooses another folder.
  void SetOnFolderChosen(std::function<void(int folder)> chosen) { chosen_ = std::move(chosen); }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void ApplySystemColours();
  void ShowCounts(QTreeWidgetItem& item, int folder, const std::string& name);

  toolkit::CaptionBar* caption_;
  QTreeWidget* tree_;
  std::vector<QTreeWidgetItem*> items_;  // by folder; the root last
  std::vector<std::string> names_;       // by folder; the root last
  catalogue::FolderTally tally_;
  std::function<void(int)> chosen_;
};

}  // namespace rescuva::views
