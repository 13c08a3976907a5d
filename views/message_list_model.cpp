#include "views/message_list_model.h"

#include "views/pictures.h"

#include <QBrush>
#include <QDateTime>
#include <QFont>
#include <QLocale>
#include <algorithm>
#include <numeric>
#include <utility>

namespace rescuva::views {
namespace {

const char* const kCaptions[MessageListModel::kColumnCount] = {"",        "",     "From",   "To",
                                                               "Subject", "Date", "Status", ""};

char16_t Fold(char16_t c) {
  return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
}

}  // namespace

int CompareListText(QStringView a, QStringView b) {
  const qsizetype n = std::min(a.size(), b.size());
  for (qsizetype i = 0; i < n; ++i) {
    const char16_t x = Fold(a[i].unicode()), y = Fold(b[i].unicode());
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

QString LocalDateText(const std::optional<int64_t>& seconds) {
  if (!seconds) return {};
  return QLocale::system().toString(QDateTime::fromSecsSinceEpoch(*seconds).toLocalTime(),
                                    QLocale::ShortFormat);
}

MessageListModel::MessageListModel(QObject* parent) : QAbstractTableModel(parent) {}

MessageListModel::RowPtr MessageListModel::MakeRow(catalogue::CatalogueRow row) {
  auto added = std::make_unique<Row>();
  added->data = std::move(row);
  return added;
}

const QString& MessageListModel::Row::Cell(int column) const {
  if (!cells_) {
    cells_ = std::make_unique<QString[]>(kColumnCount);
    cells_[2] = QString::fromStdString(data.from);
    cells_[3] = QString::fromStdString(data.to);
    cells_[4] = QString::fromStdString(data.subject);
    cells_[5] = LocalDateText(data.received_time);
    cells_[6] = QString::fromStdString(data.StatusText());
    cells_[7] = QString::fromStdString(data.OffsetText());
  }
  return cells_[static_cast<size_t>(column)];
}

void MessageListModel::AddRow(const catalogue::CatalogueRow& row) {
  RowPtr made = MakeRow(row);
  const bool shown = !Filtered() || Matches(*made);
  if (shown) beginInsertRows({}, 0, 0);
  rows_.push_front(std::move(made));
  if (shown && Filtered()) shown_.push_front(rows_.size() - 1);
  if (shown) endInsertRows();
}

void MessageListModel::AddRows(std::vector<catalogue::CatalogueRow>& rows) {
  if (rows.empty()) return;
  std::vector<RowPtr> made;
  made.reserve(rows.size());
  int shown = 0;
  for (catalogue::CatalogueRow& row : rows) {
    made.push_back(MakeRow(std::move(row)));
    if (!Filtered() || Matches(*made.back())) ++shown;
  }
  if (shown > 0) beginInsertRows({}, 0, shown - 1);
  for (RowPtr& row : made) {
    const bool match = Filtered() && Matches(*row);
    rows_.push_front(std::move(row));
    if (match) shown_.push_front(rows_.size() - 1);
  }
  if (shown > 0) endInsertRows();
}

bool MessageListModel::Matches(const Row& row) const {
  if (folder_ && row.data.folder != *folder_) return false;
  if (dates_.Active() && !dates_.Matches(row.data, {})) return false;
  if (filter_.isEmpty()) return true;
  for (int column : {2, 3, 4, 5}) {
    if (row.Cell(column).contains(filter_, Qt::CaseInsensitive)) return true;
  }
  return text_matches_ && text_matches_->contains({row.data.folder, row.data.offset});
}

const MessageListModel::Row& MessageListModel::Shown(int row) const {
  const size_t index = static_cast<size_t>(row);
  return !Filtered() ? *rows_[index] : *rows_[rows_.size() - 1 - shown_[index]];
}

MessageListModel::Row& MessageListModel::Shown(int row) {
  return const_cast<Row&>(std::as_const(*this).Shown(row));
}

void MessageListModel::ApplyFilter() {
  shown_.clear();
  if (!Filtered()) return;
  for (size_t i = 0; i < rows_.size(); ++i) {
    if (Matches(*rows_[i])) shown_.push_back(rows_.size() - 1 - i);
  }
}

void MessageListModel::Refilter(const std::function<void()>& change) {
  beginResetModel();
  change();
  ApplyFilter();
  endResetModel();
}

void MessageListModel::SetFilter(const QString& text) {
  if (text != filter_) Refilter([&] { filter_ = text; });
}

void MessageListModel::SetFolder(std::optional<int> folder) {
  if (folder != folder_) Refilter([&] { folder_ = folder; });
}

void MessageListModel::SetDateRange(std::optional<int64_t> since, std::optional<int64_t> until) {
  if (since == dates_.since && until == dates_.until) return;
  Refilter([&] {
    dates_.since = since;
    dates_.until = until;
  });
}

void MessageListModel::SetTextMatches(std::optional<std::set<catalogue::MessageKey>> matches) {
  if (matches || text_matches_) Refilter([&] { text_matches_ = std::move(matches); });
}

const catalogue::CatalogueRow& MessageListModel::AllRowAt(int index) const {
  return rows_[static_cast<size_t>(index)]->data;
}

int MessageListModel::AllIndexOf(int row) const {
  if (!Filtered()) return row;
  return static_cast<int>(rows_.size() - 1 - shown_[static_cast<size_t>(row)]);
}

const catalogue::CatalogueRow* MessageListModel::RowAt(int row) const {
  if (row < 0 || row >= rowCount()) return nullptr;
  return &Shown(row).data;
}

void MessageListModel::Clear() {
  beginResetModel();
  rows_.clear();
  shown_.clear();
  folder_.reset();
  endResetModel();
}

std::vector<catalogue::CatalogueRow> MessageListModel::TakeFragments() {
  std::vector<catalogue::CatalogueRow> taken;
  if (std::none_of(rows_.begin(), rows_.end(), [](const RowPtr& r) { return r->data.fragment; })) {
    return taken;
  }
  beginResetModel();
  std::deque<RowPtr> kept;
  for (auto it = rows_.rbegin(); it != rows_.rend(); ++it) {
    if ((*it)->data.fragment) {
      taken.push_back(std::move((*it)->data));
    } else {
      kept.push_front(std::move(*it));
    }
  }
  rows_ = std::move(kept);
  ApplyFilter();
  endResetModel();
  return taken;
}

QString MessageListModel::CellText(int row, int column) const {
  if (row < 0 || row >= rowCount() || column < 0 || column >= kColumnCount) return {};
  return Shown(row).Cell(column);
}

int MessageListModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid()) return 0;
  return static_cast<int>(!Filtered() ? rows_.size() : shown_.size());
}

int MessageListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumnCount;
}

QVariant MessageListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const Row& row = Shown(index.row());
  const int column = index.column();
  switch (role) {
    case Qt::DisplayRole:
      return row.Cell(column);
    case Qt::DecorationRole:
      if (column == 0) {
        static const QPixmap envelope = EnvelopePicture();
        return envelope;
      }
      if (column == 1 && row.data.HasAttachment()) {
        static const QPixmap mark = AttachmentMarkPicture(14, 13);
        return mark;
      }
      if (column == kStatusColumn && row.data.Cut()) {
        static const QPixmap mark = CutMarkPicture(16, 12);
        return mark;
      }
      return {};
    case Qt::ToolTipRole:
      return row.data.Cut() ? QVariant(QString::fromStdString(row.data.CutText())) : QVariant();
    case Qt::FontRole:
      if (row.data.Cut()) {
        QFont font;
        font.setItalic(true);
        return font;
      }
      return {};
    case Qt::CheckStateRole:
      return column == 0 ? QVariant(row.checked ? Qt::Checked : Qt::Unchecked) : QVariant();
    case Qt::ForegroundRole:
      if (column == kOffsetColumn) return QBrush(Qt::white);
      return row.data.deleted ? QVariant(QBrush(QColor(255, 0, 0))) : QVariant();
    case Qt::BackgroundRole:
      return column == kOffsetColumn ? QVariant(QBrush(Qt::white)) : QVariant();
    case Qt::TextAlignmentRole:
      return QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    default:
      return {};
  }
}

QVariant MessageListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount) return {};
  if (role == Qt::DisplayRole) return QString(kCaptions[section]);
  if (role == Qt::TextAlignmentRole) return QVariant(Qt::AlignLeft | Qt::AlignVCenter);
  return {};
}

Qt::ItemFlags MessageListModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (index.column() == 0) flags |= Qt::ItemIsUserCheckable;
  return flags;
}

bool MessageListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::CheckStateRole || index.column() != 0 || index.row() >= rowCount()) return false;
  Shown(index.row()).checked = value.toInt() == Qt::Checked;
  emit dataChanged(index, index, {Qt::CheckStateRole});
  return true;
}

// Sorting a filtered list shows the sorted matches afresh (the highlight is dropped);
// an unfiltered one keeps the highlighted rows.
void MessageListModel::sort(int column, Qt::SortOrder order) {
  if (column < 0 || column >= kColumnCount) return;
  if (Filtered()) {
    beginResetModel();
    const QString filter = std::exchange(filter_, QString());
    const std::optional<int> folder = std::exchange(folder_, std::nullopt);
    SortAll(column, order);
    filter_ = filter;
    folder_ = folder;
    ApplyFilter();
    endResetModel();
    return;
  }
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  const std::vector<int> new_position = SortAll(column, order);
  QModelIndexList from = persistentIndexList(), to;
  for (const QModelIndex& index : from) {
    to.push_back(createIndex(new_position[static_cast<size_t>(index.row())], index.column()));
  }
  changePersistentIndexList(from, to);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

std::vector<int> MessageListModel::SortAll(int column, Qt::SortOrder order) {
  std::vector<int> order_of(rows_.size());
  std::iota(order_of.begin(), order_of.end(), 0);
  const bool ascending = order == Qt::AscendingOrder;
  // dates sort by the time they show, a row without one first
  const auto compare = [column](const Row& a, const Row& b) {
    if (column != kDateColumn) return CompareListText(a.Cell(column), b.Cell(column));
    const auto& x = a.data.received_time;
    const auto& y = b.data.received_time;
    return x == y ? 0 : (x < y ? -1 : 1);
  };
  std::stable_sort(order_of.begin(), order_of.end(), [&](int a, int b) {
    const int c = compare(*rows_[static_cast<size_t>(a)], *rows_[static_cast<size_t>(b)]);
    return ascending ? c < 0 : c > 0;
  });
  std::deque<RowPtr> sorted;
  std::vector<int> new_position(rows_.size());
  for (size_t i = 0; i < order_of.size(); ++i) {
    new_position[static_cast<size_t>(order_of[i])] = static_cast<int>(i);
    sorted.push_back(std::move(rows_[static_cast<size_t>(order_of[i])]));
  }
  rows_ = std::move(sorted);
  return new_position;
}

}  // namespace rescuva::views
