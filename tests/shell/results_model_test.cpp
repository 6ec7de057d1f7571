#include <gtest/gtest.h>

#include <QSignalSpy>

#include "shell/qt_text.h"
#include "shell/results_model.h"
#include "shell/results_view.h"
#include "shell_test_support.h"
#include "support/gbk.h"

namespace lilan {
namespace {

using test::Gbk;

class ResultsModelTest : public ::testing::Test {
protected:
    void SetUp() override { test::TestApp(); }
};

TEST_F(ResultsModelTest, CellsOfRowsThatDoNotExistReadEmptyAndIgnoreWrites) {
    ResultsModel model;
    EXPECT_EQ(model.AppendRow(), 0);
    EXPECT_EQ(model.AppendRow(), 1);
    model.SetCellText(1, kAddressColumn, "http://a.com");
    struct Case {
        int row, column;
    };
    const Case outside[] = {{-1, 0}, {2, 0}, {100000, 1}, {0, -1}, {0, 3}};
    for (const Case& c : outside) {
        model.SetCellText(c.row, c.column, "x");
        EXPECT_EQ(model.CellText(c.row, c.column), "") << c.row << "," << c.column;
    }
    EXPECT_EQ(model.RowCount(), 2);
    EXPECT_EQ(model.CellText(1, kAddressColumn), "http://a.com");
    EXPECT_EQ(model.CellText(0, kAddressColumn), "");
}

TEST_F(ResultsModelTest, ClearingUnderAWriterThatStillHoldsOldRows) {
    // A run keeps writing to the rows it took before the list was cleared
    // or refilled by an import.
    ResultsModel model;
    for (int i = 0; i < 5; ++i)
        model.AppendRow();
    model.AnnouncePendingRows();
    model.RemoveAllRows();
    model.SetCellText(3, kResultColumn, Gbk("正在查询中.."));
    EXPECT_EQ(model.CellText(3, kResultColumn), "");
    EXPECT_EQ(model.RowCount(), 0);
    EXPECT_EQ(model.rowCount(), 0);

    model.AppendRow(); // an import refills
    model.SetCellText(3, kResultColumn, "1");
    model.SetCellText(0, kResultColumn, "2");
    EXPECT_EQ(model.RowCount(), 1);
    EXPECT_EQ(model.CellText(0, kResultColumn), "2");
}

TEST_F(ResultsModelTest, AppendedRowsReachTheViewInOneBatch) {
    ResultsModel model;
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    for (int i = 0; i < 1000; ++i) {
        const int row = model.AppendRow();
        model.SetCellText(row, kKeywordColumn, std::to_string(i));
    }
    EXPECT_EQ(model.RowCount(), 1000);
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(inserted.count(), 0);

    ASSERT_TRUE(inserted.wait(2000)); // the announcement comes by itself
    EXPECT_EQ(inserted.count(), 1);
    EXPECT_EQ(model.rowCount(), 1000);
    EXPECT_EQ(model.data(model.index(999, kKeywordColumn), Qt::DisplayRole).toString(), QStringLiteral("999"));
}

TEST_F(ResultsModelTest, DisplayAndTitlesAreUtf16OfTheProgramText) {
    ResultsModel model;
    model.SetCellText(model.AppendRow(), kAddressColumn, Gbk("http://例子.com"));
    model.AnnouncePendingRows();
    EXPECT_EQ(model.data(model.index(0, kAddressColumn), Qt::DisplayRole).toString(),
              QStringLiteral(u"http://例子.com"));

    const QString titles[] = {QStringLiteral(u"关键词"), QStringLiteral(u"网址"), QStringLiteral(u"排名")};
    for (int column = 0; column < 3; ++column)
        EXPECT_EQ(model.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString(), titles[column]);

    QSignalSpy header(&model, &QAbstractItemModel::headerDataChanged);
    model.SetColumnTitle(kKeywordColumn, Gbk("关键词 >> 红茶"));
    model.SetColumnTitle(7, "x");
    EXPECT_EQ(header.count(), 1);
    EXPECT_EQ(model.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral(u"关键词 >> 红茶"));
    EXPECT_EQ(model.ColumnTitle(7), "");
}

TEST_F(ResultsModelTest, WritesToShownRowsRepaintOnlyThatCell) {
    ResultsModel model;
    model.AppendRow();
    model.AppendRow();
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    model.SetCellText(1, kResultColumn, "3");
    EXPECT_EQ(changed.count(), 0); // not shown yet: nothing to repaint
    model.AnnouncePendingRows();
    model.SetCellText(1, kResultColumn, "4");
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed[0][0].toModelIndex(), model.index(1, kResultColumn));
}

TEST_F(ResultsModelTest, SelectingARowShowsItAtOnce) {
    ResultsModel model;
    ResultsView view;
    view.setModel(&model);
    QtResultsList list(model, view);
    for (int i = 0; i < 3; ++i)
        list.AppendRow();
    EXPECT_EQ(view.SelectedRow(), -1);
    list.SelectRow(2);
    EXPECT_EQ(view.SelectedRow(), 2);
    list.SelectRow(9); // gone: the selection stays
    EXPECT_EQ(view.SelectedRow(), 2);
    list.RemoveAllRows();
    EXPECT_EQ(view.SelectedRow(), -1);
}

} // namespace
} // namespace lilan
