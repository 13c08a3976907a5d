// The rows of the message list: newest first, eight columns of text read back by the
// rest of the system (column 7, the first-block offset, is the row's key), red rows
// for deleted messages, and the list's own text sort.
#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <deque>
#include <mutex>
#include <vector>

#include "app/message_catalogue.h"

namespace rescuva::views {

// The list's text order: only A-Z fold to a-z, everything else compares by UTF-16 code
// unit, and a text that is a prefix of another comes first.
int CompareListText(QStringView a, QStringView b);

class MessageListModel : public QAbstractTableModel {
 public:
  static constexpr int kColumnCount = 8;
  static constexpr int kStatusColumn = 6;
  static constexpr int kOffsetColumn = 7;
  static constexpr int kColumnWidths[kColumnCount] = {40, 25, 100, 150, 300, 170, 100, 0};

  explicit MessageListModel(QObject* parent = nullptr);

  // Inserts the row above all others.
  void AddRow(const app::CatalogueRow& row);
  // From any thread: keeps the row for the next FlushQueued, which the user-interface
  // thread runs; a scan's rows then reach the view in a few large insertions instead
  // of one each (each insertion costs the view time in proportion to its rows).
  void QueueRow(const app::CatalogueRow& row);
  // Inserts the queued rows above all others, the last queued on top; their number.
  int FlushQueued();
  void Clear();
  // The text of a cell; empty for an index that names no row.
  QString CellText(int row, int column) const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  // Sorts the rows by the texts of one column; rows added later still go on top.
  void sort(int column, Qt::SortOrder order) override;

 private:
  struct Row {
    QString cells[kColumnCount];
    bool has_attachment = false;
    bool deleted = false;
    bool checked = false;
  };
  static Row MakeRow(const app::CatalogueRow& row);

  std::deque<Row> rows_;
  std::mutex queue_mutex_;
  std::vector<Row> queued_;
};

// The received time as the user's locale writes a short date and time.
QString LocalDateText(const std::optional<int64_t>& seconds);

}  // namespace rescuva::views
