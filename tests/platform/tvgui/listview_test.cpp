// TListViewEx: the model's consistency, rows, and selection, focus and check marks kept apart.
#include "TVGUICommon.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

std::vector<std::pair<QString, int>> columns(int count)
{
    std::vector<std::pair<QString, int>> result;
    for (int i = 0; i < count; ++i)
        result.emplace_back(QString("列%1").arg(i), 60);
    return result;
}

class ListView : public ::testing::Test {
protected:
    void SetUp() override
    {
        list_.setColumns(columns(4));
        list_.resize(400, 300);
        for (int i = 0; i < 5; ++i)
            list_.addRow(QString("row%1").arg(i), {QString("a%1").arg(i), QString("b%1").arg(i)},
                         i * 10);
    }

    void clickCell(int row, int column)
    {
        const QRect cell = list_.visualRect(list_.model()->index(row, column));
        QTest::mouseClick(list_.viewport(), Qt::LeftButton, {}, cell.center());
    }

    TListViewEx list_;
};

TEST_F(ListView, ModelStaysConsistentThroughEveryChange)
{
    QAbstractItemModelTester tester(list_.model(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    list_.setCheckBoxes(true);
    list_.setChecked(1, true);
    list_.setCellText(2, 3, "c2");
    list_.removeRow(0);
    list_.beginUpdate();
    list_.clear();
    for (int i = 0; i < 50; ++i)
        list_.addRow(QString::number(i));
    list_.beginUpdate(); // nested
    list_.removeRow(49);
    list_.endUpdate();
    list_.endUpdate();
    list_.setColumns(columns(17));
    EXPECT_EQ(list_.rowCount(), 49);
    EXPECT_EQ(list_.model()->rowCount(), 49);
    EXPECT_EQ(list_.model()->columnCount(), 17);
}

TEST_F(ListView, CellsImageIndexAndData)
{
    EXPECT_EQ(list_.caption(3), "row3");
    EXPECT_EQ(list_.cellText(3, 0), "row3");
    EXPECT_EQ(list_.subItem(3, 1), "b3");
    EXPECT_EQ(list_.cellText(3, 2), "b3");
    EXPECT_EQ(list_.cellText(3, 3), "") << "a column without a sub-item is empty";
    EXPECT_EQ(list_.cellUtf8(3, 2), "b3");
    EXPECT_EQ(list_.cellUtf8(3, 3), "");
    EXPECT_EQ(list_.cellUtf8(99, 0), "") << "a row that is not there reads empty";
    EXPECT_EQ(list_.model()->data(list_.model()->index(3, 2)).toString(), "b3");

    list_.setCellText(3, 3, "c3");
    list_.setCellText(3, 0, "new");
    EXPECT_EQ(list_.cellText(3, 3), "c3");
    EXPECT_EQ(list_.caption(3), "new");
    list_.setCellText(3, 1, "卡商");
    EXPECT_EQ(list_.cellUtf8(3, 1), "卡商");

    EXPECT_EQ(list_.imageIndex(4), 40);
    EXPECT_EQ(list_.addRow("plain"), 5);
    EXPECT_EQ(list_.imageIndex(5), -1);
    list_.setImageIndex(5, 7);
    list_.setRowData(5, 1LL << 40);
    EXPECT_EQ(list_.imageIndex(5), 7);
    EXPECT_EQ(list_.rowData(5), 1LL << 40);
    EXPECT_EQ(list_.rowData(4), 0);

    EXPECT_EQ(list_.caption(99), "");
    EXPECT_EQ(list_.imageIndex(-1), -1);
    list_.setCellText(99, 1, "ignored");
    EXPECT_EQ(list_.rowCount(), 6);
}

TEST_F(ListView, RemoveRowAndClear)
{
    list_.setSelectedRow(2);
    list_.removeRow(2);
    EXPECT_EQ(list_.rowCount(), 4);
    EXPECT_EQ(list_.caption(2), "row3");
    EXPECT_EQ(list_.imageIndex(2), 30) << "the row's own data moves with it";
    EXPECT_EQ(list_.selectedRow(), -1) << "the removed row's selection goes with it";
    list_.removeRow(4);
    list_.removeRow(-1);
    EXPECT_EQ(list_.rowCount(), 4);

    list_.setFocusedRow(1);
    list_.clear();
    EXPECT_EQ(list_.rowCount(), 0);
    EXPECT_EQ(list_.focusedRow(), -1);
    EXPECT_EQ(list_.columnCount(), 4) << "clear keeps the columns";
}

TEST_F(ListView, SelectionFocusAndCheckAreApart)
{
    list_.setCheckBoxes(true);
    list_.setSelectedRow(1);
    list_.setFocusedRow(3);
    list_.setChecked(4, true);
    EXPECT_EQ(list_.selectedRow(), 1);
    EXPECT_EQ(list_.focusedRow(), 3);
    EXPECT_TRUE(list_.isChecked(4));
    EXPECT_FALSE(list_.isChecked(1));
    EXPECT_FALSE(list_.isChecked(3));

    list_.setSelectedRow(-1);
    EXPECT_EQ(list_.selectedRow(), -1);
    EXPECT_EQ(list_.focusedRow(), 3);
    list_.setFocusedRow(-1);
    EXPECT_EQ(list_.focusedRow(), -1);
    EXPECT_TRUE(list_.isChecked(4));

    const QModelIndex box = list_.model()->index(4, 0);
    EXPECT_EQ(box.data(Qt::CheckStateRole).toInt(), Qt::Checked);
    list_.setCheckBoxes(false);
    EXPECT_FALSE(box.data(Qt::CheckStateRole).isValid()) << "no check box shown";
    EXPECT_TRUE(list_.isChecked(4)) << "the mark itself stays";
}

TEST_F(ListView, UserClickSelectsFocusesAndRaisesTheClickAfterwards)
{
    list_.show();
    int selectedWhenClicked = -2;
    QObject::connect(&list_, &TListViewEx::rowClicked,
                     [&] { selectedWhenClicked = list_.selectedRow(); });
    QSignalSpy clicks(&list_, &TListViewEx::rowClicked);

    clickCell(2, 1);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(selectedWhenClicked, 2);
    EXPECT_EQ(list_.focusedRow(), 2);

    list_.setSelectedRow(4);
    list_.Click();
    EXPECT_EQ(clicks.count(), 2);
    EXPECT_EQ(selectedWhenClicked, 4);
}

TEST_F(ListView, UserTogglesTheCheckBox)
{
    list_.setCheckBoxes(true);
    list_.show();
    const QModelIndex cell = list_.model()->index(1, 0);
    QStyleOptionViewItem option;
    option.initFrom(list_.viewport());
    option.rect = list_.visualRect(cell);
    option.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
    const QRect indicator =
        list_.style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, &list_);

    QTest::mouseClick(list_.viewport(), Qt::LeftButton, {}, indicator.center());
    EXPECT_TRUE(list_.isChecked(1));
    QTest::mouseClick(list_.viewport(), Qt::LeftButton, {}, indicator.center());
    EXPECT_FALSE(list_.isChecked(1));
    EXPECT_FALSE(list_.isChecked(0));

    list_.setCheckBoxes(false);
    QTest::mouseClick(list_.viewport(), Qt::LeftButton, {}, indicator.center());
    EXPECT_FALSE(list_.isChecked(1)) << "without check boxes a click does not tick";
}

TEST_F(ListView, ZeroWidthColumnStaysAColumn)
{
    auto widths = columns(8);
    widths[6].second = 0;
    list_.setColumns(widths);
    list_.setCellText(0, 6, "hidden");
    EXPECT_EQ(list_.columnCount(), 8);
    EXPECT_EQ(list_.columnWidth(6), 0);
    EXPECT_FALSE(list_.isColumnHidden(6));
    EXPECT_EQ(list_.cellText(0, 6), "hidden");
    list_.setColumnWidth(6, 100);
    EXPECT_EQ(list_.columnWidth(6), 100);
    list_.setColumnWidth(6, 0);
    EXPECT_EQ(list_.columnWidth(6), 0);
}

TEST_F(ListView, BatchSendsOneResetInsteadOfARowSignalEach)
{
    QSignalSpy inserted(list_.model(), &QAbstractItemModel::rowsInserted);
    QSignalSpy resets(list_.model(), &QAbstractItemModel::modelReset);
    list_.beginUpdate();
    for (int i = 0; i < 1000; ++i)
        list_.addRow(QString::number(i));
    list_.setChecked(3, true);
    EXPECT_EQ(resets.count(), 0);
    list_.endUpdate();
    list_.endUpdate(); // unbalanced: ignored
    EXPECT_EQ(inserted.count(), 0);
    EXPECT_EQ(resets.count(), 1);
    EXPECT_EQ(list_.rowCount(), 1005);

    list_.addRow("outside");
    EXPECT_EQ(inserted.count(), 1);
}

} // namespace
