// The four wizard states and the page stack's row heights in each: which page fills
// the window, and the results area above a 200-pixel scan page in state 2.
#pragma once

#include <QString>
#include <array>

#include "session/recovery_session.h"
#include "views/item_tree_view.h"

namespace rescuva::app {

enum class WizardState { ChooseFile = 1, Results = 2, SaveOptions = 3, SaveProgress = 4 };

constexpr int kPageRows = 4;  // results area, scan page, save option page, save progress page
constexpr int kScanPageHeight = 200;

// The ideal heights of the page stack's rows in a state, for a client height H.
std::array<int, kPageRows> PageRowHeights(WizardState state, int client_height);

// What the pages ask of the main frame.
class WizardFrame {
 public:
  virtual ~WizardFrame() = default;
  virtual WizardState State() const = 0;
  virtual void SetState(WizardState state) = 0;
  virtual int ClientHeight() const = 0;
  // Sets a page-stack row's ideal height; LayoutPages applies the heights.
  virtual void SetPageRow(int row, int ideal_height) = 0;
  virtual void LayoutPages() = 0;
  virtual void ClearCaption() = 0;
  virtual void ClearFolderTree() = 0;
  // The folder tree pane, counting a store's rows; null where a frame has none.
  virtual views::CItemTreeView* FolderTree() { return nullptr; }
  // Opens the folder tree pane on the folders of a store about to be scanned.
  virtual void ShowStoreTree(const store::MailStore&) {}
  // The preview stack shows the browser view alone.
  virtual void BrowserOnlyLayout() = 0;
  // The browser view shows a page file, not from the cache.
  virtual void ShowBrowserPage(const QString& file) = 0;
  // What the user chose for the next scan beyond the described flow.
  virtual session::ScanOptions ScanChoices() const { return {}; }
  // The session is about to go: work that reads its messages ends first.
  virtual void SessionEnding() {}
};

}  // namespace rescuva::app
