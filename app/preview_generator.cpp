#include "app/preview_generator.h"

#include <QFile>

#include "loader/message_loader.h"

namespace rescuva::app {
namespace {

int preview_serial = 0;  // process-wide, never reset

constexpr int kHeaderHeight = 50;
constexpr int kStripHeight = 35;
constexpr int kBodyHeight = 3000;

QString CopyName(const std::string& folder, int serial) {
  return QString::fromStdString(folder) + QString::number(serial) + "dddd.mhtml";
}

}  // namespace

PreviewGenerator::PreviewGenerator(views::CPreviewUpperView& header,
                                   views::CAttachView1& attachments, views::CHtm& browser,
                                   rtf::CRtfView& text, toolkit::RowStack& stack,
                                   std::function<const session::RecoverySession*()> session)
    : header_(header),
      attachments_(attachments),
      browser_(browser),
      text_(text),
      stack_(stack),
      session_(std::move(session)) {}

int PreviewGenerator::PreviewSerial() {
  return preview_serial;
}

void PreviewGenerator::SetRows(std::initializer_list<std::pair<int, int>> rows,
                               bool collapse_others) {
  if (collapse_others) {
    for (int row = 0; row < stack_.RowCount(); ++row) {
      if (row != views::kAttachmentRow) stack_.SetRowHeight(row, 0);
    }
  }
  for (auto [row, height] : rows) stack_.SetRowHeight(row, height);
  stack_.LayoutRows();
}

void PreviewGenerator::PreviewSelectedRow(const views::MessageListModel& list, int mark,
                                          bool by_click, int clicked_row) {
  const session::RecoverySession* session = session_();
  if (!session) return;
  // no row is offset 0, which names no chain
  const catalogue::CatalogueRow* marked = list.RowAt(mark);
  const auto offset = static_cast<uint32_t>(marked ? marked->offset : 0);
  if (by_click && !browser_.Idle()) browser_.Stop();
  const std::string target = session->Engine().TempFolder() + (by_click ? "dd2.gg" : "dd2.eml");
  if (by_click) QFile::remove(QString::fromStdString(target));
  const engine::MessageSource& source = session->Source(marked ? marked->folder : -1);
  if (!source.ExtractToFile(target, offset, repair_)) return;
  const catalogue::CatalogueRow* shown = list.RowAt(by_click ? clicked_row : mark);
  header_.SetFrom(shown ? QString::fromStdString(shown->from) : QString());
  header_.SetTo(shown ? QString::fromStdString(shown->to) : QString());
  header_.SetSubject(shown ? QString::fromStdString(shown->subject) : QString());
  ShowPreview(target);
}

void PreviewGenerator::ShowPreview(const std::string& path) {
  const auto message = loader::LoadMessageFile(path);
  if (!message) return;
  attachments_.Clear();
  bool named = false;
  for (const std::string& name : message->attachment_names) {
    if (name.empty()) continue;
    attachments_.Add(QString::fromStdString(name));
    named = true;
  }
  SetRows({{views::kHeaderRow, kHeaderHeight}, {views::kAttachmentRow, named ? kStripHeight : 0}},
          false);
  if (!message->html_body.empty()) {
    SetRows({{views::kHeaderRow, kHeaderHeight}, {views::kBrowserRow, kBodyHeight}}, true);
    if (!browser_.Idle()) browser_.Stop();
    const std::string folder = session_() ? session_()->Engine().TempFolder() : std::string();
    QFile::remove(CopyName(folder, preview_serial - 1));
    const QString copy = CopyName(folder, preview_serial);
    QFile::remove(copy);
    // the browser reads an archive only as multipart/related with the HTML as its root:
    // the copy is such an archive, written from the loaded message
    QFile archive(copy);
    if (archive.open(QIODevice::WriteOnly)) {
      archive.write(QByteArray::fromStdString(loader::MhtmlArchive(*message)));
    }
    archive.close();
    browser_.Navigate(copy);
    ++preview_serial;
    return;
  }
  SetRows({{views::kHeaderRow, kHeaderHeight}, {views::kTextRow, kBodyHeight}}, true);
  text_.SetText(QString::fromStdString(message->text_body));
}

}  // namespace rescuva::app
