// The rows of the message list: newest first, each keeping its catalogue row (offset,
// kind, source, header texts, attachment names) from which its eight columns are
// drawn (column 7, the first-block offset, is the row's key); red rows for deleted
// messages, and the list's own text sort (dates by time).
#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "catalogue/message_catalogue.h"
#include "catalogue/message_filter.h"

namespace rescuva::views {

// The list's text order: only A-Z fold to a-z, everything else compares by UTF-16 code
// unit, and a text that is a prefix of another comes first.
int CompareListText(QStringView a, QStringView b);

class MessageListModel : public QAbstractTableModel {
 public:
  static constexpr int kColumnCount = 8;
  static constexpr int kDateColumn = 5;
  static constexpr int kStatusColumn = 6;
  static constexpr int kOffsetColumn = 7;
  static constexpr int kColumnWidths[kColumnCount] = {40, 25, 100, 150, 300, 170, 100, 0};

  explicit MessageListModel(QObject* parent = nullptr);

  // Inserts the row above all others.
  void AddRow(const catalogue::CatalogueRow& row);
  // Inserts the rows above all others, the last one on top, in one insertion: a
  // scan's rows reach the view in a few large insertions instead of one each.
  void AddRows(std::vector<catalogue::CatalogueRow>& rows);
  void Clear();
  // Removes the fragment rows and hands them back bottom row first, as AddRows takes
  // them to put them back in the same order.
  std::vector<catalogue::CatalogueRow> TakeFragments();
  // The catalogue row shown in a row; null for an index that names no row.
  const catalogue::CatalogueRow* RowAt(int row) const;

  // Shows only the rows with `text` in From, To, Subject or Date (any case); an empty
  // text shows every row. Rows added later join the shown ones when they match.
  void SetFilter(const QString& text);
  // Shows only the rows of one store folder (together with the text filter); nothing
  // shows every folder's rows.
  void SetFolder(std::optional<int> folder);
  // Shows only the rows dated within the range (the Date header, else the received
  // time), together with the other filters; no bound shows every date.
  void SetDateRange(std::optional<int64_t> since, std::optional<int64_t> until);
  // The messages whose own text holds the filter's text: they show as if a cell held
  // it. Nothing: the filter looks at the cells alone.
  void SetTextMatches(std::optional<std::set<catalogue::MessageKey>> matches);
  // Every row, shown or not, top to bottom, and the place among them of a shown row.
  int AllRowCount() const { return static_cast<int>(rows_.size()); }
  const catalogue::CatalogueRow& AllRowAt(int index) const;
  int AllIndexOf(int row) const;
  // The text of a cell; empty for an index that names no row.
  QString CellText(int row, int column) const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  // Sorts the rows by the texts of one column (the date column by time); rows added
  // later still go on top.
  void sort(int column, Qt::SortOrder order) override;

 private:
  struct Row {
    catalogue::CatalogueRow data;
    bool checked = false;
    // The text of a column, for showing, filtering and sorting; drawn from `data` the
    // first time any is asked for (most rows of a long list are never shown).
    const QString& Cell(int column) const;

   private:
    mutable std::unique_ptr<QString[]> cells_;
  };
  // Rows are kept by pointer: sorting and inserting on top move pointers, not rows.
  using RowPtr = std::unique_ptr<Row>;
  static RowPtr MakeRow(catalogue::CatalogueRow row);
  bool Filtered() const { return !filter_.isEmpty() || folder_.has_value() || dates_.Active(); }
  // Applies a change of the filters to the rows shown.
  void Refilter(const std::function<void()>& change);
  bool Matches(const Row& row) const;
  // The row shown at `row`: while filtered, the shown rows are counted from the bottom,
  // so that rows added on top leave the numbers of the others as they are.
  const Row& Shown(int row) const;
  Row& Shown(int row);
  void ApplyFilter();
  // Sorts every row; the new place of each row.
  std::vector<int> SortAll(int column, Qt::SortOrder order);

  std::deque<RowPtr> rows_;
  QString filter_;
  std::optional<int> folder_;
  catalogue::MessageFilter dates_;  // its date range alone
  std::optional<std::set<catalogue::MessageKey>> text_matches_;
  std::deque<size_t> shown_;  // while filtered: the shown rows, top to bottom, from the bottom
};

// The received time as the user's locale writes a short date and time.
QString LocalDateText(const std::optional<int64_t>& seconds);

}  // namespace rescuva::views
