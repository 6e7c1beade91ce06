// TListViewEx driven by real mouse and key events in an active window: rows and their own data,
// selection, focus and check marks kept apart, sorting by header clicks, copying selected rows
// and exporting to CSV (read back by Python's csv module).
#include "TVGUICommon.h"
#include "list_model.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

struct Card {
    const char* imsi;
    const char* name;
    const char* count;
};

// Rows in their own order, odd rows checked.
const Card kCards[] = {
    {"460000000000003", "北京分公司", "9"},
    {"460000000000001", "上海,浦东", "10"},
    {"460000000000002", "说\"明\"", "2"},
    {"460000000000004", "广州\n天河", "100"},
};

class ListView : public ::testing::Test {
protected:
    void SetUp() override
    {
        list_.setColumns({{"IMSI号", 120}, {"名称", 120}, {"数量", 60}, {"未知字段", 0}});
        list_.setCheckBoxes(true);
        int row = 0;
        for (const Card& card : kCards) {
            list_.addRow(card.imsi, {card.name, card.count, "hidden"});
            list_.setChecked(row, row % 2 == 1);
            ++row;
        }
        list_.resize(500, 300);
        list_.show();
        list_.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&list_));
        list_.setFocus(); // the keys are the list's own
        previous_ = setGuiInteraction(&gui_);
    }
    void TearDown() override { setGuiInteraction(previous_); }

    void clickHeader(int column)
    {
        QHeaderView* header = list_.header();
        const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
    }
    void clickShown(int position, Qt::KeyboardModifiers modifiers = {})
    {
        const QRect cell = list_.visualRect(list_.model()->index(position, 1));
        QTest::mouseClick(list_.viewport(), Qt::LeftButton, modifiers, cell.center());
    }
    void clickCheckBoxShown(int position)
    {
        QStyleOptionViewItem option;
        option.initFrom(list_.viewport());
        option.rect = list_.visualRect(list_.model()->index(position, 0));
        option.features =
            QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
        const QRect box =
            list_.style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, &list_);
        QTest::mouseClick(list_.viewport(), Qt::LeftButton, {}, box.center());
    }
    std::vector<int> shownOrder() const
    {
        std::vector<int> rows;
        for (int position = 0; position < list_.rowCount(); ++position)
            rows.push_back(list_.shownRow(position));
        return rows;
    }

    TListViewEx list_;
    QAbstractItemModelTester tester_{list_.model(),
                                     QAbstractItemModelTester::FailureReportingMode::Fatal};
    RecordingInteraction gui_;
    GuiInteraction* previous_ = nullptr;
};

TEST_F(ListView, CellsAndRemovalKeepEachRowsOwnTexts)
{
    EXPECT_EQ(list_.cellText(1, 0), kCards[1].imsi);
    EXPECT_EQ(list_.subItem(1, 0), "上海,浦东");
    EXPECT_EQ(list_.cellText(1, 3), "hidden") << "a zero-width column stays a column";
    EXPECT_EQ(list_.cellText(-1, 0), "") << "a row that is not there reads empty";
    list_.setCellText(99, 1, "ignored");

    EXPECT_EQ(list_.addRow("plain"), 4);
    EXPECT_EQ(list_.cellText(4, 2), "") << "a column without a sub-item is empty";

    list_.setSelectedRow(1);
    list_.removeRow(1);
    EXPECT_EQ(list_.caption(1), kCards[2].imsi);
    EXPECT_EQ(list_.subItem(1, 0), kCards[2].name) << "the row's own texts move with it";
    EXPECT_EQ(list_.selectedRow(), -1) << "the removed row's selection goes with it";
    list_.removeRow(-1);
    EXPECT_EQ(list_.rowCount(), 4);
    list_.setFocusedRow(1);
    list_.clear();
    EXPECT_EQ(list_.focusedRow(), -1);
    EXPECT_EQ(list_.columnCount(), 4) << "clear keeps the columns";
}

TEST_F(ListView, SelectionFocusAndCheckAreApartAndAClickSetsBothBeforeItIsRaised)
{
    list_.setSelectedRow(1);
    list_.setFocusedRow(3);
    EXPECT_EQ(list_.selectedRow(), 1);
    EXPECT_EQ(list_.focusedRow(), 3);
    list_.setSelectedRow(-1);
    EXPECT_EQ(list_.focusedRow(), 3);
    EXPECT_TRUE(list_.isChecked(1));

    const QModelIndex box = list_.model()->index(1, 0);
    EXPECT_EQ(box.data(Qt::CheckStateRole).toInt(), Qt::Checked);
    list_.setCheckBoxes(false);
    EXPECT_FALSE(box.data(Qt::CheckStateRole).isValid()) << "no check box shown";
    EXPECT_TRUE(list_.isChecked(1)) << "the mark itself stays";
    clickCheckBoxShown(0);
    EXPECT_FALSE(list_.isChecked(0)) << "without check boxes a click does not tick";

    int selectedWhenClicked = -2;
    QObject::connect(&list_, &TListViewEx::rowClicked,
                     [&] { selectedWhenClicked = list_.selectedRow(); });
    QSignalSpy clicks(&list_, &TListViewEx::rowClicked);
    clickShown(2);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(selectedWhenClicked, 2);
    EXPECT_EQ(list_.focusedRow(), 2);
    list_.setSelectedRow(3);
    list_.Click();
    EXPECT_EQ(selectedWhenClicked, 3);
}

TEST_F(ListView, HeaderClicksSortTheViewAndRowsKeepTheirRecordsAndMarks)
{
    EXPECT_EQ(shownOrder(), (std::vector<int>{0, 1, 2, 3})) << "unsorted until a header is clicked";

    clickHeader(0);
    EXPECT_EQ(shownOrder(), (std::vector<int>{1, 2, 0, 3}));
    clickHeader(0);
    EXPECT_EQ(shownOrder(), (std::vector<int>{3, 0, 2, 1})) << "a second click reverses";
    clickHeader(2);
    EXPECT_EQ(shownOrder(), (std::vector<int>{2, 0, 1, 3}))
        << "digits compare as numbers: 2 9 10 100";

    for (int row = 0; row < list_.rowCount(); ++row) {
        EXPECT_EQ(list_.caption(row), kCards[row].imsi) << "row numbers are the list's own order";
        EXPECT_EQ(list_.isChecked(row), row % 2 == 1);
    }

    clickCheckBoxShown(0);
    EXPECT_TRUE(list_.isChecked(2)) << "the box ticks the row shown, not the row of that number";
    EXPECT_FALSE(list_.isChecked(0));
    clickCheckBoxShown(0);
    EXPECT_FALSE(list_.isChecked(2));
    EXPECT_EQ(shownOrder(), (std::vector<int>{2, 0, 1, 3})) << "ticking does not re-sort";

    clickShown(0); // shows row 2
    EXPECT_EQ(list_.selectedRow(), 2);
    EXPECT_EQ(list_.focusedRow(), 2);
    list_.setSelectedRow(3);
    EXPECT_TRUE(list_.selectionModel()->isRowSelected(3, {})) << "row 3 is shown last";

    list_.sortByColumn(-1, Qt::AscendingOrder);
    EXPECT_EQ(shownOrder(), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(list_.selectedRow(), 3) << "the selection follows its row";

    // Rows added, changed or removed while sorted take their place.
    list_.sortByColumn(2, Qt::AscendingOrder);
    list_.addRow("460000000000005", {"新", "5", ""});
    EXPECT_EQ(shownOrder(), (std::vector<int>{2, 4, 0, 1, 3}));
    list_.setCellText(3, 2, "1");
    EXPECT_EQ(list_.shownRow(0), 3);
    list_.removeRow(0);
    EXPECT_EQ(list_.caption(0), kCards[1].imsi);
    EXPECT_EQ(list_.subItem(0, 0), kCards[1].name);
    list_.setColumns({{"A", 60}, {"B", 60}});
    EXPECT_EQ(list_.model()->columnCount(), 2);
}

TEST_F(ListView, ABatchSendsOneResetInsteadOfARowSignalEach)
{
    QSignalSpy inserted(list_.model(), &QAbstractItemModel::rowsInserted);
    QSignalSpy resets(list_.model(), &QAbstractItemModel::modelReset);
    list_.beginUpdate();
    list_.clear();
    for (int i = 0; i < 1000; ++i)
        list_.addRow(QString::number(i));
    list_.beginUpdate(); // nested
    list_.removeRow(999);
    list_.endUpdate();
    EXPECT_EQ(resets.count(), 0);
    list_.endUpdate();
    list_.endUpdate(); // unbalanced: ignored
    EXPECT_EQ(inserted.count(), 0);
    EXPECT_EQ(resets.count(), 1);
    EXPECT_EQ(list_.rowCount(), 999);
    list_.addRow("outside");
    EXPECT_EQ(inserted.count(), 1);
}

TEST_F(ListView, CtrlCCopiesSelectedRowsAsShownWithHeaderNoZeroWidthColumnAndNoFormula)
{
    clickHeader(0); // shown: 1 2 0 3
    clickShown(0);
    clickShown(2, Qt::ControlModifier);
    EXPECT_EQ(list_.selectedRows(), (std::vector<int>{1, 0}));
    QApplication::clipboard()->clear();
    QTest::keyClick(&list_, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "IMSI号\t名称\t数量\n"
                                                 "460000000000001\t上海,浦东\t10\n"
                                                 "460000000000003\t北京分公司\t9\n");

    list_.setSelectedRow(3);
    EXPECT_EQ(list_.selectedRowsText(), "IMSI号\t名称\t数量\n460000000000004\t广州 天河\t100\n")
        << "a line break inside a cell would split the row";

    list_.addRow("=HYPERLINK(\"http://x\")", {"@SUM(A1)", "-12"});
    list_.setSelectedRow(4);
    EXPECT_EQ(list_.selectedRowsText(),
              "IMSI号\t名称\t数量\n'=HYPERLINK(\"http://x\")\t'@SUM(A1)\t-12\n")
        << "a formula is pasted as its text, a number as the number";
}

// What Python's csv module reads from the file (as a spreadsheet would), as JSON rows.
QJsonArray readWithCsvModule(const QString& path)
{
    QProcess python;
    python.start("/usr/bin/python3",
                 {"-c",
                  "import csv, json, sys\n"
                  "with open(sys.argv[1], encoding='utf-8-sig', newline='') as f:\n"
                  "    print(json.dumps(list(csv.reader(f))))\n",
                  path});
    python.waitForFinished(30000);
    return QJsonDocument::fromJson(python.readAllStandardOutput()).array();
}

TEST_F(ListView, CtrlSExportsTheListAsShownToCsvThatReadsBackAndAFailureSaysSo)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("列表.csv");
    clickHeader(2); // shown: 2 0 1 3
    gui_.nextFile(path);
    QTest::keyClick(&list_, Qt::Key_S, Qt::ControlModifier);
    ASSERT_EQ(gui_.fileDialogs().size(), 1u);
    EXPECT_EQ(gui_.lastMessage().caption, "提示");
    EXPECT_EQ(gui_.lastMessage().text, "已导出4行到文件 " + path + "。");

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().startsWith("\xEF\xBB\xBF")) << "a byte-order mark for spreadsheets";

    const QJsonArray rows = readWithCsvModule(path);
    ASSERT_EQ(rows.size(), 5);
    EXPECT_EQ(rows[0].toArray(), (QJsonArray{"IMSI号", "名称", "数量"}));
    const int shown[] = {2, 0, 1, 3};
    for (int position = 0; position < 4; ++position) {
        const Card& card = kCards[shown[position]];
        EXPECT_EQ(rows[position + 1].toArray(),
                  (QJsonArray{card.imsi, QString::fromUtf8(card.name), card.count}));
    }

    // Cancelled or failing, an export says so and writes nothing.
    gui_.clear();
    list_.exportToChosenFile();
    EXPECT_EQ(gui_.fileDialogs().size(), 1u);
    EXPECT_TRUE(gui_.messages().empty()) << "a cancelled dialog is no error";

    gui_.nextFile("/nonexistent-folder/列表.csv");
    list_.exportToChosenFile();
    EXPECT_EQ(gui_.lastMessage().flags, MB_ICONHAND);
    EXPECT_TRUE(
        gui_.lastMessage().text.startsWith("导出到文件 /nonexistent-folder/列表.csv 失败："));
}

TEST(CompareCellTexts, NumbersByValueOtherwiseByText)
{
    EXPECT_LT(CompareCellTexts("010", "10"), 0) << "equal values fall back to the text";
    EXPECT_GT(CompareCellTexts("460000000000010", "460000000000009"), 0);
    EXPECT_LT(CompareCellTexts("10a", "9a"), 0) << "not all digits: text order";
    EXPECT_LT(CompareCellTexts("", "0"), 0);
    EXPECT_EQ(CompareCellTexts("北京", "北京"), 0);
}

} // namespace
