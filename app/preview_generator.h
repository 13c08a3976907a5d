// Turns a row of the message list into the preview: the message extracted again by
// its offset, the header pane, the attachment strip, and the body in the browser view
// (HTML, as a numbered .mhtml copy of the whole file) or in the rich-text view.
#pragma once

#include <functional>
#include <string>

#include "loader/message_loader.h"
#include "rtf/rtf_view.h"
#include "session/recovery_session.h"
#include "toolkit/row_stack.h"
#include "views/attach_view.h"
#include "views/htm_view.h"
#include "views/message_list_model.h"
#include "views/preview_upper_view.h"
#include "views/preview_views.h"

namespace rescuva::app {

class PreviewGenerator {
 public:
  PreviewGenerator(views::CPreviewUpperView& header, views::CAttachView1& attachments,
                   views::CHtm& browser, rtf::CRtfView& text, toolkit::RowStack& stack,
                   std::function<const session::RecoverySession*()> session);

  // The repair the previewed messages get.
  void SetRepair(engine::Repair repair) { repair_ = repair; }
  // `mark` is the list's selection mark; `clicked_row` the row under a click (-1 for
  // none), which a click previews. A message that cannot be read again or loaded
  // clears the panes and says so in the text view.
  void PreviewSelectedRow(const views::MessageListModel& list, int mark, bool by_click,
                          int clicked_row);
  // Shows a message file; false when it cannot be loaded.
  bool ShowPreview(const std::string& path);
  // The number of the next .mhtml copy.
  static int PreviewSerial();
  // The attachments of the message the preview shows, read again from its copy, with
  // the message's date (sent, else received); none when it shows no message.
  std::vector<loader::Attachment> PreviewedAttachments(std::optional<int64_t>& date) const;

 private:
  void SetRows(std::initializer_list<std::pair<int, int>> rows, bool collapse_others);
  void ShowFragment(const engine::MessageSource& source, uint64_t offset);
  // Plain text in the text view under an empty header, without attachments.
  void ShowText(const QString& body);

  views::CPreviewUpperView& header_;
  views::CAttachView1& attachments_;
  views::CHtm& browser_;
  rtf::CRtfView& text_;
  toolkit::RowStack& stack_;
  std::function<const session::RecoverySession*()> session_;
  engine::Repair repair_ = engine::Repair::kNulOnly;
  std::string previewed_;  // the copy of the message shown; empty when none is
};

}  // namespace rescuva::app
