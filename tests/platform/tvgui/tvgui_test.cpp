// The host GUI library: messages, the wait box, input states, filters, the list view, import.
#include "CImportUtil.h"
#include "TVGUICommon.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class WithRecorder : public ::testing::Test {
protected:
    void SetUp() override { setGuiInteraction(&gui_); }
    void TearDown() override { setGuiInteraction(nullptr); }
    RecordingInteraction gui_;
};

} // namespace

TEST_F(WithRecorder, MessagesAreFormattedOnceAndArgumentsStayLiteral)
{
    EXPECT_EQ(ShowGUIMessage("异常：调用接口失败\r\n[%s]\n[%s]!", "提示", 64, "100%d", "%s"), IDOK);
    ASSERT_EQ(gui_.messages().size(), 1U);
    EXPECT_EQ(gui_.messages()[0].text, "异常：调用接口失败\n[100%d]\n[%s]!");
    EXPECT_EQ(gui_.messages()[0].flags, 64);
    gui_.answerNext(IDNO);
    EXPECT_EQ(ShowGUIMessage("您确认删除吗？", "确认操作", 292), IDNO);
    EXPECT_EQ(ShowGUIMessage("您确认删除吗？", "确认操作", 292), IDYES);
}

TEST(MessageBoxStyle, Win32FlagsMapToButtonsDefaultAndIcon)
{
    EXPECT_EQ(MessageBoxStyleOf(0).buttons, std::vector<int>{IDOK});
    EXPECT_EQ(MessageBoxStyleOf(0).icon, 0);
    EXPECT_EQ(MessageBoxStyleOf(16).icon, MB_ICONHAND);
    EXPECT_EQ(MessageBoxStyleOf(64).icon, MB_ICONINFORMATION);
    const MessageBoxStyle question = MessageBoxStyleOf(292);
    EXPECT_EQ(question.buttons, (std::vector<int>{IDYES, IDNO}));
    EXPECT_EQ(question.defaultButton, IDNO);
    EXPECT_EQ(question.icon, MB_ICONQUESTION);
    EXPECT_EQ(MessageBoxStyleOf(MB_YESNOCANCEL | 0x200).defaultButton, IDCANCEL);
}

TEST_F(WithRecorder, WaitBoxShowsUpdatesAndCloses)
{
    ShowWaitBox("正在查询信息中，请稍候...");
    EXPECT_TRUE(gui_.waitBoxOpen());
    UpdateWaitBox("正在更新控件界面中，请稍候...");
    CloseWaitBox();
    CloseWaitBox();
    EXPECT_FALSE(gui_.waitBoxOpen());
    EXPECT_EQ(gui_.waitEvents(), QStringList({"show:正在查询信息中，请稍候...", "update:正在更新控件界面中，请稍候...",
                                              "close", "close"}));
}

TEST(Controls, ReadOnlyAndDefaultForEachKind)
{
    QLineEdit edit;
    QComboBox combo;
    QPushButton button;
    QCheckBox box;
    for (QWidget* control : std::initializer_list<QWidget*>{&edit, &combo, &button, &box})
        MakeReadOnly(control);
    EXPECT_TRUE(edit.isReadOnly());
    EXPECT_FALSE(combo.isEnabled());
    EXPECT_FALSE(button.isEnabled());
    EXPECT_FALSE(box.isEnabled());
    for (QWidget* control : std::initializer_list<QWidget*>{&edit, &combo, &button, &box})
        MakeDefault(control);
    EXPECT_FALSE(edit.isReadOnly());
    EXPECT_TRUE(combo.isEnabled() && button.isEnabled() && box.isEnabled());
    MakeReadOnly(nullptr);
}

TEST(Controls, PostionComboBoxItemSelectsTheExactTextOrKeepsTheSelection)
{
    QComboBox combo;
    combo.addItems({"[1] 一", "[2] 二", "[12] 十二"});
    PostionComboBoxItem(&combo, "[12] 十二");
    EXPECT_EQ(combo.currentIndex(), 2);
    PostionComboBoxItem(&combo, "[3] 三");
    EXPECT_EQ(combo.currentIndex(), 2);
    PostionComboBoxItem(nullptr, "x");
}

TEST(Controls, NumberEditsTakeDigitsFromKeysAndPastes)
{
    QLineEdit edit;
    TfrmMDIChild::OnEditKeyPress(&edit);
    TfrmMDIChild::OnEditPaste(&edit);
    QTest::keyClicks(&edit, "12a3-4");
    EXPECT_EQ(edit.text(), "1234");
    QTest::keyClick(&edit, Qt::Key_Backspace);
    EXPECT_EQ(edit.text(), "123");
    QApplication::clipboard()->setText("9x8 7");
    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit.text(), "123987");
}

TEST(ListView, RowsKeepSelectionFocusAndCheckMarksApart)
{
    TListViewEx list;
    QAbstractItemModelTester tester(list.model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    list.setColumns({{"IMSI号", 150}, {"SIM卡号", 150}, {"未知字段", 100}});
    list.setCheckBoxes(true);
    list.addRow("a", {"a1", "a2"}, 0);
    list.addRow("b", {"b1"}, 1);
    list.addRow("c", {}, -1);
    EXPECT_EQ(list.rowCount(), 3);
    EXPECT_EQ(list.cellText(1, 2), "");
    list.setCellText(2, 2, "c2");
    EXPECT_EQ(list.cellText(2, 2), "c2");
    list.setSelectedRow(1);
    list.setFocusedRow(2);
    list.setChecked(0, true);
    EXPECT_EQ(list.selectedRow(), 1);
    EXPECT_EQ(list.focusedRow(), 2);
    EXPECT_TRUE(list.isChecked(0));
    EXPECT_FALSE(list.isChecked(1));
    list.setColumnWidth(2, 0);
    EXPECT_EQ(list.columnWidth(2), 0);
    EXPECT_EQ(list.columnCount(), 3);
    list.removeRow(0);
    EXPECT_EQ(list.caption(0), "b");
    EXPECT_EQ(list.imageIndex(0), 1);
    EXPECT_EQ(list.selectedRow(), 0);
    list.clear();
    EXPECT_EQ(list.rowCount(), 0);
    EXPECT_EQ(list.selectedRow(), -1);
}

TEST(ListView, ABatchOfRowsFillsInsideOneUpdate)
{
    TListViewEx list;
    list.setColumns({{"a", 10}, {"b", 10}});
    list.beginUpdate();
    for (int i = 0; i < 1000; ++i)
        list.addRow(QString::number(i), {QString::number(i * 2)}, i);
    list.endUpdate();
    EXPECT_EQ(list.model()->rowCount(), 1000);
    EXPECT_EQ(list.cellText(999, 1), "1998");
}

TEST(DatePicker, TDateTimeRoundTrip)
{
    TFlatDateTimePicker picker;
    picker.setDateTime(46000.5);
    EXPECT_DOUBLE_EQ(picker.DateTime(), 46000.5);
    EXPECT_EQ(picker.date(), QDate(2025, 12, 9));
}

TEST(CardFile, SevenAndEightFieldsAnySeparatorAndSkippedLines)
{
    const CardFile file = ParseCardFile("\xEF\xBB\xBFIMSI SIM PIN1\n\n# comment\n"
                                        "460000000000001\t8986 ,1234;5678|12345678  87654321 KI1\r\n"
                                        "  460000000000002 8986 1 2 3 4 extra KI2\n");
    ASSERT_TRUE(file.error.isEmpty()) << file.error.toStdString();
    ASSERT_EQ(file.rows.size(), 2U);
    EXPECT_EQ(file.rows[0], QStringList({"460000000000001", "8986", "1234", "5678", "12345678", "87654321", "", "KI1"}));
    EXPECT_EQ(file.rows[1][6], "extra");
    EXPECT_EQ(file.rows[1][7], "KI2");
}

TEST(CardFile, GbkIsDetected)
{
    const CardFile file = ParseCardFile("\xB1\xB8\xD7\xA2\n460000000000001 a b c d e \xD6\xD0 KI\n");
    ASSERT_TRUE(file.error.isEmpty());
    EXPECT_EQ(file.rows[0][6], "中");
}

TEST(CardFile, BadFilesAreRefusedWhole)
{
    const CardFile bad = ParseCardFile("460000000000001 a b c d e f\n460000000000002 a\n460000000000003 a b\n");
    EXPECT_TRUE(bad.rows.empty());
    EXPECT_EQ(bad.badLines, (std::vector<int>{2, 3}));
    EXPECT_TRUE(bad.error.contains("第2、3行"));
    EXPECT_FALSE(ParseCardFile(QByteArray("4600\0", 5)).error.isEmpty());
    EXPECT_FALSE(ParseCardFile("").error.isEmpty());
    EXPECT_FALSE(ParseCardFile("header only\n").error.isEmpty());
    EXPECT_TRUE(ParseCardFile("4" + QByteArray(5000, '1') + "\n").error.contains("过长"));
    EXPECT_FALSE(ParseCardFile("\xFF\xFF\xFF 1\n").error.isEmpty());
}

TEST_F(WithRecorder, ImportListViewLoadsTheChosenFileOrNothing)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("cards.txt");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("460000000000001 a b c d e KI\n");
    file.close();
    TListViewEx list;
    CImportUtil import;
    EXPECT_FALSE(import.ImportListView(&list, 2, ".txt", 1, 0));
    EXPECT_EQ(list.rowCount(), 0);
    gui_.nextFile(path);
    EXPECT_TRUE(import.ImportListView(&list, 2, ".txt", 1, 0));
    ASSERT_EQ(list.rowCount(), 1);
    EXPECT_EQ(list.cellText(0, 7), "KI");
    gui_.nextFile(folder.filePath("missing.txt"));
    EXPECT_FALSE(import.ImportListView(&list, 2, ".txt", 1, 0));
    EXPECT_EQ(list.rowCount(), 1);
    EXPECT_TRUE(gui_.messages().back().text.startsWith("无法读取导入文件"));
}
