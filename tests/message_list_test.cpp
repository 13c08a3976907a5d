// The message list: newest rows on top, the list's text order and caption sorting,
// red deleted rows and the hidden key column, and the preview requests.
#include <gtest/gtest.h>

#include <QTest>

#include "views/disp_imfo_view.h"

namespace rescuva::views {
namespace {

catalogue::CatalogueRow Row(const std::string& subject, bool deleted = false, uint64_t offset = 1) {
  catalogue::CatalogueRow row;
  row.subject = subject;
  row.from = "alice@example.org";
  row.deleted = deleted;
  row.offset = offset;
  return row;
}

TEST(MessageList, TextOrder) {
  EXPECT_EQ(CompareListText(u"alice", u"ALICE"), 0);
  EXPECT_LT(CompareListText(u"Zoe", u"\u00C9mile"), 0);  // É sorts after Z
  EXPECT_LT(CompareListText(u"10/2/2006", u"9/30/2006"), 0);
  EXPECT_LT(CompareListText(u"abc", u"abcd"), 0);
  EXPECT_GT(CompareListText(u"b", u"A"), 0);
}

TEST(MessageList, NewestRowsOnTopWhateverTheSort) {
  CDispImfoView pane;
  CMailListCtrl& list = pane.List();
  MessageListModel& model = list.Model();
  model.AddRow(Row("M1", false, 100));
  model.AddRow(Row("M2", false, 200));
  model.AddRow(Row("M3", true, 4294967296ull));
  EXPECT_EQ(model.rowCount(), 3);
  EXPECT_EQ(model.CellText(0, 4), "M3");
  EXPECT_EQ(model.CellText(2, 4), "M1");
  EXPECT_EQ(model.CellText(0, 7), "4294967296");
  EXPECT_EQ(model.CellText(0, 6), "Deleted");
  EXPECT_EQ(model.CellText(5, 4), "");
  list.SortByCaption(4);
  EXPECT_EQ(model.CellText(0, 4), "M1");
  list.SortByCaption(4);
  EXPECT_EQ(list.SortOrder(), Qt::DescendingOrder);
  EXPECT_EQ(model.CellText(0, 4), "M3");
  list.SortByCaption(6);
  EXPECT_EQ(list.SortOrder(), Qt::AscendingOrder);
  model.AddRow(Row("A newcomer"));
  EXPECT_EQ(model.CellText(0, 4), "A newcomer");
  pane.EmptyAllLists();
  EXPECT_EQ(model.rowCount(), 0);
  EXPECT_EQ(list.SortedColumn(), 6);  // the sort state survives clearing
}

// The Date column sorts by the time it shows, not by its text: 30 September 2006 comes
// before 2 October 2006, and a row without a date first.
TEST(MessageList, DatesSortByTime) {
  CDispImfoView pane;
  CMailListCtrl& list = pane.List();
  MessageListModel& model = list.Model();
  auto dated = [](const std::string& subject, std::optional<int64_t> when) {
    catalogue::CatalogueRow row = Row(subject);
    row.received_time = when;
    return row;
  };
  model.AddRow(dated("october", 1159790400));  // 2006-10-02
  model.AddRow(dated("undated", std::nullopt));
  model.AddRow(dated("september", 1159617600));  // 2006-09-30
  model.AddRow(dated("december", 1165060800));   // 2006-12-02
  list.SortByCaption(MessageListModel::kDateColumn);
  std::vector<QString> order;
  for (int row = 0; row < model.rowCount(); ++row) order.push_back(model.CellText(row, 4));
  EXPECT_EQ(order, (std::vector<QString>{"undated", "september", "october", "december"}));
  list.SortByCaption(MessageListModel::kDateColumn);
  EXPECT_EQ(model.CellText(0, 4), "december");
  EXPECT_EQ(model.CellText(3, 4), "undated");
}

TEST(MessageList, DeletedRowsAreRedAndTheKeyColumnIsBlank) {
  MessageListModel model;
  model.AddRow(Row("kept"));
  model.AddRow(Row("gone", true));
  auto colour = [&](int row, int column, int role) {
    return model.data(model.index(row, column), role).value<QBrush>().color();
  };
  for (int column = 2; column <= 6; ++column) {
    EXPECT_EQ(colour(0, column, Qt::ForegroundRole), QColor(255, 0, 0));
  }
  EXPECT_FALSE(model.data(model.index(1, 4), Qt::ForegroundRole).isValid());
  EXPECT_EQ(colour(1, 7, Qt::ForegroundRole), QColor(Qt::white));
  EXPECT_EQ(colour(1, 7, Qt::BackgroundRole), QColor(Qt::white));
  EXPECT_EQ(model.data(model.index(1, 0), Qt::CheckStateRole).toInt(), Qt::Unchecked);
  EXPECT_FALSE(model.data(model.index(1, 1), Qt::DecorationRole).isValid());
  EXPECT_EQ(model.headerData(4, Qt::Horizontal, Qt::DisplayRole).toString(), "Subject");
}

TEST(MessageList, ClicksAndKeyReleasesAskForAPreview) {
  CDispImfoView pane;
  pane.resize(900, 300);
  pane.show();
  CMailListCtrl& list = pane.List();
  for (int i = 0; i < 5; ++i) list.Model().AddRow(Row("m" + std::to_string(i)));
  std::vector<bool> requests;
  std::vector<int> clicked;
  list.SetPreviewRequest([&](bool by_click, int row) {
    requests.push_back(by_click);
    clicked.push_back(row);
  });
  const QRect second = list.visualRect(list.Model().index(1, 4));
  QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, second.center());
  EXPECT_EQ(list.SelectionMark(), 1);
  QTest::keyClick(&list, Qt::Key_Down);
  EXPECT_EQ(list.SelectionMark(), 2);
  EXPECT_EQ(requests, (std::vector<bool>{true, false}));
  EXPECT_EQ(clicked, (std::vector<int>{1, -1}));
  QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::ShiftModifier, second.center());
  EXPECT_EQ(list.SelectedRows(), (std::vector<int>{1, 2}));
}

// Home and End reach the first and last row; with Ctrl too, and the highlight always
// moves with the current row, so the row previewed is the row a save takes.
TEST(MessageList, KeyboardMovesKeepHighlightAndCurrentRowTogether) {
  CDispImfoView pane;
  CMailListCtrl& list = pane.List();
  for (int i = 0; i < 30; ++i) list.Model().AddRow(Row("M" + std::to_string(i), false, 100 + i));
  pane.resize(600, 300);
  pane.show();
  list.setFocus();
  list.selectRow(5);
  auto highlighted = [&] { return list.SelectedRows(); };
  QTest::keyClick(&list, Qt::Key_End);
  EXPECT_EQ(list.SelectionMark(), 29);
  EXPECT_EQ(highlighted(), std::vector<int>{29});
  QTest::keyClick(&list, Qt::Key_Home);
  EXPECT_EQ(list.SelectionMark(), 0);
  EXPECT_EQ(highlighted(), std::vector<int>{0});
  QTest::keyClick(&list, Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(list.SelectionMark(), 29);
  EXPECT_EQ(highlighted(), std::vector<int>{29});
  QTest::keyClick(&list, Qt::Key_Up, Qt::ControlModifier);
  EXPECT_EQ(highlighted(), std::vector<int>{28});
  EXPECT_EQ(list.Model().RowAt(list.SelectionMark())->offset, 100u + 1);
}

// The find bar's filter: matching rows in From, To, Subject or Date, in any case; new
// rows that match arrive on top; every row stays reachable for the saving.
TEST(MessageList, TheFindBarFiltersAsTheUserTypes) {
  CDispImfoView pane;
  MessageListModel& model = pane.List().Model();
  for (int i = 0; i < 10; ++i) {
    model.AddRow(Row((i % 3 == 0 ? "Invoice " : "Note ") + std::to_string(i), false, 100 + i));
  }
  pane.resize(600, 300);
  pane.show();
  pane.ShowFindBar();
  QTest::keyClicks(&pane.FindBox(), "invo");
  EXPECT_EQ(model.rowCount(), 4);  // 9, 6, 3, 0
  EXPECT_EQ(model.CellText(0, 4), "Invoice 9");
  EXPECT_EQ(model.AllIndexOf(1), 3);  // "Invoice 6" among all rows
  EXPECT_EQ(pane.FindCount(), "4 of 10 emails");
  std::vector<catalogue::CatalogueRow> more{Row("Invoice 10", false, 200),
                                            Row("Other", false, 201)};
  model.AddRows(more);
  EXPECT_EQ(model.rowCount(), 5);
  EXPECT_EQ(model.CellText(0, 4), "Invoice 10");
  EXPECT_EQ(model.AllRowCount(), 12);
  EXPECT_EQ(pane.FindCount(), "5 of 12 emails");
  model.sort(4, Qt::AscendingOrder);
  EXPECT_EQ(model.rowCount(), 5);
  EXPECT_EQ(model.CellText(0, 4), "Invoice 0");
  QTest::keyClick(&pane.FindBox(), Qt::Key_Escape);
  EXPECT_TRUE(pane.FindBox().text().isEmpty());
  EXPECT_EQ(model.rowCount(), 12);
}

TEST(MessageList, AStoreFolderChosenShowsItsRowsWithTheFindBarsFilter) {
  MessageListModel model;
  for (int i = 0; i < 6; ++i) {
    auto row = Row((i % 2 ? "Invoice " : "Note ") + std::to_string(i), false, 100 + i);
    row.folder = i % 3;
    model.AddRow(row);
  }
  model.SetFolder(1);
  EXPECT_EQ(model.rowCount(), 2);  // 4, 1
  EXPECT_EQ(model.CellText(0, 4), "Note 4");
  model.SetFilter("invoice");
  EXPECT_EQ(model.rowCount(), 1);
  EXPECT_EQ(model.CellText(0, 4), "Invoice 1");
  model.SetFilter("");
  auto late = Row("Invoice 7", false, 107);
  late.folder = 1;
  std::vector<catalogue::CatalogueRow> more{late, Row("Note 8", false, 108)};
  model.AddRows(more);
  EXPECT_EQ(model.rowCount(), 3);
  EXPECT_EQ(model.CellText(0, 4), "Invoice 7");
  model.sort(4, Qt::AscendingOrder);
  EXPECT_EQ(model.CellText(0, 4), "Invoice 1");
  model.SetFolder(std::nullopt);
  EXPECT_EQ(model.rowCount(), 8);
}

}  // namespace
}  // namespace rescuva::views
