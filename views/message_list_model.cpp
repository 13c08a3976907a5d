#include "views/message_list_model.h"

#include "views/pictures.h"

#include <QBrush>
#include <QDateTime>
#include <QLocale>
#include <algorithm>
#include <numeric>

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

MessageListModel::Row MessageListModel::MakeRow(catalogue::CatalogueRow row) {
  Row added;
  added.cells[2] = QString::fromStdString(row.from);
  added.cells[3] = QString::fromStdString(row.to);
  added.cells[4] = QString::fromStdString(row.subject);
  added.cells[5] = LocalDateText(row.received_time);
  added.cells[6] = QString::fromStdString(row.StatusText());
  added.cells[7] = QString::fromStdString(row.OffsetText());
  added.data = std::move(row);
  return added;
}

void MessageListModel::AddRow(const catalogue::CatalogueRow& row) {
  beginInsertRows({}, 0, 0);
  rows_.push_front(MakeRow(row));
  endInsertRows();
}

void MessageListModel::AddRows(std::vector<catalogue::CatalogueRow>& rows) {
  if (rows.empty()) return;
  beginInsertRows({}, 0, static_cast<int>(rows.size()) - 1);
  for (catalogue::CatalogueRow& row : rows) rows_.push_front(MakeRow(std::move(row)));
  endInsertRows();
}

const catalogue::CatalogueRow* MessageListModel::RowAt(int row) const {
  if (row < 0 || row >= rowCount()) return nullptr;
  return &rows_[static_cast<size_t>(row)].data;
}

void MessageListModel::Clear() {
  beginResetModel();
  rows_.clear();
  endResetModel();
}

QString MessageListModel::CellText(int row, int column) const {
  if (row < 0 || row >= rowCount() || column < 0 || column >= kColumnCount) return {};
  return rows_[static_cast<size_t>(row)].cells[column];
}

int MessageListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int MessageListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumnCount;
}

QVariant MessageListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const Row& row = rows_[static_cast<size_t>(index.row())];
  const int column = index.column();
  switch (role) {
    case Qt::DisplayRole:
      return row.cells[column];
    case Qt::DecorationRole:
      if (column == 0) {
        static const QPixmap envelope = EnvelopePicture();
        return envelope;
      }
      if (column == 1 && row.data.HasAttachment()) {
        static const QPixmap mark = AttachmentMarkPicture(14, 13);
        return mark;
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
  rows_[static_cast<size_t>(index.row())].checked = value.toInt() == Qt::Checked;
  emit dataChanged(index, index, {Qt::CheckStateRole});
  return true;
}

void MessageListModel::sort(int column, Qt::SortOrder order) {
  if (column < 0 || column >= kColumnCount) return;
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  std::vector<int> order_of(rows_.size());
  std::iota(order_of.begin(), order_of.end(), 0);
  const bool ascending = order == Qt::AscendingOrder;
  std::stable_sort(order_of.begin(), order_of.end(), [&](int a, int b) {
    const int c = CompareListText(rows_[static_cast<size_t>(a)].cells[column],
                                  rows_[static_cast<size_t>(b)].cells[column]);
    return ascending ? c < 0 : c > 0;
  });
  std::deque<Row> sorted;
  std::vector<int> new_position(rows_.size());
  for (size_t i = 0; i < order_of.size(); ++i) {
    new_position[static_cast<size_t>(order_of[i])] = static_cast<int>(i);
    sorted.push_back(std::move(rows_[static_cast<size_t>(order_of[i])]));
  }
  rows_ = std::move(sorted);
  QModelIndexList from = persistentIndexList(), to;
  for (const QModelIndex& index : from) {
    to.push_back(createIndex(new_position[static_cast<size_t>(index.row())], index.column()));
  }
  changePersistentIndexList(from, to);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

}  // namespace rescuva::views
