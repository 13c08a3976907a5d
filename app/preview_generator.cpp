#include "app/preview_generator.h"

#include <QFile>
#include <cctype>

#include "views/message_loader.h"

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

uint32_t ParseRowOffset(const QString& text) {
  const std::string s = text.toStdString();
  size_t at = 0;
  while (at < s.size() && std::isspace(static_cast<unsigned char>(s[at]))) ++at;
  bool negative = false;
  if (at < s.size() && (s[at] == '+' || s[at] == '-')) negative = s[at++] == '-';
  uint64_t value = 0;
  for (; at < s.size() && std::isdigit(static_cast<unsigned char>(s[at])); ++at) {
    value = value * 10 + static_cast<uint64_t>(s[at] - '0');
  }
  return static_cast<uint32_t>(negative ? 0 - value : value);
}

PreviewGenerator::PreviewGenerator(views::CPreviewUpperView& header,
                                   views::CAttachView1& attachments, views::CHtm& browser,
                                   rtf::CRtfView& text, toolkit::RowStack& stack,
                                   std::function<const engine::DbxRecoveryEngine*()> engine)
    : header_(header),
      attachments_(attachments),
      browser_(browser),
      text_(text),
      stack_(stack),
      engine_(std::move(engine)) {}

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
  const engine::DbxRecoveryEngine* engine = engine_();
  if (!engine) return;
  const uint32_t offset =
      ParseRowOffset(list.CellText(mark, views::MessageListModel::kOffsetColumn));
  if (by_click && !browser_.Idle()) browser_.Stop();
  const std::string target = engine->TempFolder() + (by_click ? "dd2.gg" : "dd2.eml");
  if (by_click) QFile::remove(QString::fromStdString(target));
  if (!engine->ExtractToFile(target, offset)) return;
  const int row = by_click ? clicked_row : mark;
  header_.SetFrom(list.CellText(row, 2));
  header_.SetTo(list.CellText(row, 3));
  header_.SetSubject(list.CellText(row, 4));
  ShowPreview(target);
}

void PreviewGenerator::ShowPreview(const std::string& path) {
  const auto message = views::LoadMessageFile(path);
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
    const std::string folder = engine_() ? engine_()->TempFolder() : std::string();
    QFile::remove(CopyName(folder, preview_serial - 1));
    const QString copy = CopyName(folder, preview_serial);
    QFile::remove(copy);
    QFile::copy(QString::fromStdString(path), copy);
    browser_.Navigate(copy);
    ++preview_serial;
    return;
  }
  SetRows({{views::kHeaderRow, kHeaderHeight}, {views::kTextRow, kBodyHeight}}, true);
  text_.SetText(QString::fromStdString(message->text_body));
}

}  // namespace rescuva::app
