#include "app/preview_generator.h"

#include <QFile>

#include "engine/windows_1252.h"
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

// A click previews the row under it, so that header, attachments and body are always
// one message's even when the click (on a check box) leaves the selection mark where it
// was; a click on no row previews the mark's row under an empty header.
void PreviewGenerator::PreviewSelectedRow(const views::MessageListModel& list, int mark,
                                          bool by_click, int clicked_row) {
  const session::RecoverySession* session = session_();
  if (!session) return;
  const int row = by_click && clicked_row >= 0 ? clicked_row : mark;
  // no row is offset 0, which names no chain: nothing was asked for, nothing changes
  const catalogue::CatalogueRow* previewed = list.RowAt(row);
  if (by_click && !browser_.Idle()) browser_.Stop();
  const std::string target = session->Engine().TempFolder() + (by_click ? "dd2.gg" : "dd2.eml");
  if (by_click) QFile::remove(QString::fromStdString(target));
  if (!previewed || previewed->offset == 0) return;
  const engine::MessageSource& source = session->Source(previewed->folder);
  const uint64_t offset = previewed->offset;
  if (previewed->fragment) {
    ShowFragment(source, offset);
    header_.SetNotice(QString::fromStdString(previewed->CutText()));
    return;
  }
  if (!source.ExtractToFile(target, offset, repair_)) {
    ShowText("This email could not be read again from the folder file.");
    return;
  }
  const bool headed = !by_click || clicked_row >= 0;
  header_.SetFrom(headed ? QString::fromStdString(previewed->from) : QString());
  header_.SetTo(headed ? QString::fromStdString(previewed->to) : QString());
  header_.SetSubject(headed ? QString::fromStdString(previewed->subject) : QString());
  header_.SetNotice(headed ? QString::fromStdString(previewed->CutText()) : QString());
  if (!ShowPreview(target)) ShowText("This email could not be read: it is not a mail message.");
}

// A fragment has no header: its recovered text shows as it is, never as markup.
void PreviewGenerator::ShowFragment(const engine::MessageSource& source, uint64_t offset) {
  std::vector<uint8_t> bytes;
  if (!source.ExtractToBytes(offset, repair_, bytes)) {
    ShowText("This fragment could not be read again from the folder file.");
    return;
  }
  const std::string_view raw(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  QString text = QString::fromUtf8(raw.data(), static_cast<qsizetype>(raw.size()));
  if (text.contains(QChar::ReplacementCharacter)) {
    text = QString::fromStdString(engine::FromWindows1252(raw));
  }
  ShowText(text);
}

// The panes of the previous message go; the text view shows `body`: a fragment's text,
// or why nothing else shows.
void PreviewGenerator::ShowText(const QString& body) {
  previewed_.clear();
  header_.SetFrom({});
  header_.SetTo({});
  header_.SetSubject({});
  header_.SetNotice({});
  attachments_.Clear();
  SetRows({{views::kAttachmentRow, 0}}, false);
  SetRows({{views::kHeaderRow, kHeaderHeight}, {views::kTextRow, kBodyHeight}}, true);
  text_.SetText(body);
}

bool PreviewGenerator::ShowPreview(const std::string& path) {
  const auto message = loader::LoadMessageFile(path);
  if (!message) return false;
  previewed_ = path;
  attachments_.Clear();
  bool named = false;
  for (size_t i = 0; i < message->attachment_names.size(); ++i) {
    const std::string& name = message->attachment_names[i];
    if (name.empty()) continue;
    attachments_.Add(QString::fromStdString(name), static_cast<int>(i));
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
    return true;
  }
  SetRows({{views::kHeaderRow, kHeaderHeight}, {views::kTextRow, kBodyHeight}}, true);
  text_.SetText(QString::fromStdString(message->text_body));
  return true;
}

std::vector<loader::Attachment> PreviewGenerator::PreviewedAttachments(
    std::optional<int64_t>& date) const {
  if (previewed_.empty()) return {};
  const auto bytes = loader::ReadMessageBytes(previewed_);
  if (!bytes) return {};
  if (const auto message = loader::LoadMessage(*bytes, false)) {
    date = message->sent_time ? message->sent_time : message->received_time;
  }
  return loader::LoadAttachments(*bytes);
}

}  // namespace rescuva::app
