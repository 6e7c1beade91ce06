// The card-file parser and ImportListView end to end.
#include "TVGUICommon.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString kImsi = "460001234567890";
const QString kKi = "0123456789ABCDEF0123456789ABCDEF";

QStringList cardFields(int n)
{
    return QString("46000123456%1 8986001234567890%1 1234 5678 12345678 87654321")
               .arg(n, 4, 10, QChar('0'))
               .split(' ')
           << kKi;
}

QByteArray card(int n, const char* separator = " ")
{
    return cardFields(n).join(separator).toUtf8();
}

// A parsed row's cells joined by "|": a seven-field card has an empty seventh cell.
QString parsed(int n, const QString& extra = "")
{
    QStringList cells = cardFields(n);
    cells.insert(6, extra);
    return cells.join('|');
}

TEST(CardFile, ReadsAnySeparatorsCommentsAndEncodingsOrRefusesTheWholeFile)
{
    struct Case {
        const char* what;
        QByteArray bytes;
        QStringList rows;
        QString error = {}; // a part of the message
    };
    const QByteArray longest(kMaxCardLineBytes, '#');
    const QByteArray wrongCounts =
        card(1) + "\n" + card(2) + "\n460001 2 3 4 5 6\n" + card(3) + "\n" + card(4) + " 8 9\n";
    const Case cases[] = {
        {"separators",
         kImsi.toUtf8() + " \t 89860012345678901234,1234;5678|12345678,,87654321 " + kKi.toUtf8() +
             "\r\n,|" + kImsi.toUtf8() + "|8986001234567890123X|1|2|3|4|extra|" + kKi.toUtf8() +
             "|\n\"460001234567891\",\"8986\",\"1\",\"2\",\"3\",\"4\",\"" + kKi.toUtf8() + "\"",
         {kImsi + "|89860012345678901234|1234|5678|12345678|87654321||" + kKi,
          kImsi + "|8986001234567890123X|1|2|3|4|extra|" + kKi,
          "460001234567891|8986|1|2|3|4||" + kKi}},
        {"blank, comment and header lines",
         "IMSI号 SIM卡号 PIN1 PIN2 PUK1 PUK2 KI\n\n   \t\n# 批次 2024\n// 卡商\n; 注释\n" +
             card(1) + "\n-----\nabc 1 2 3\n" + card(2) + "\n",
         {parsed(1), parsed(2)}},
        {"a byte-order mark", "\xEF\xBB\xBF卡号\n" + card(1, ",") + "\n", {parsed(1)}},
        {"GBK",
         "\xBF\xA8\xBA\xC5\r\n" +
             card(7).replace(" " + kKi.toUtf8(), " \xB2\xE2\xCA\xD4 " + kKi.toUtf8()),
         {parsed(7, "测试")}},
        {"the longest line", longest + "\r\n" + card(1), {parsed(1)}},
        {"neither UTF-8 nor GBK", card(1) + "\n\xFF\xFE\xFF\n", {}, "UTF-8"},
        {"binary", card(1) + '\0' + "\n", {}, "二进制"},
        {"empty", "", {}, "没有卡数据"},
        {"no card line", "# only a comment\nIMSI SIM\n", {}, "没有卡数据"},
        {"an overlong line", card(1) + "\n" + longest + "#\n", {}, "第2行过长"},
        {"wrong field counts", wrongCounts, {}, "第3、5行"},
        {"twelve wrong",
         QByteArray("4600 1 2\n").repeated(12),
         {},
         "第1、2、3、4、5、6、7、8、9、10行等共12行"},
    };
    for (const Case& expected : cases) {
        const CardFile file = ParseCardFile(expected.bytes);
        QStringList rows;
        for (const CardRow& row : file.rows) {
            QStringList cells;
            for (int i = 0; i < row.cells.count(); ++i)
                cells << row.cells.text(i);
            rows << cells.join('|');
        }
        EXPECT_EQ(rows, expected.rows) << expected.what;
        EXPECT_TRUE(expected.error.isEmpty() ? file.error.isEmpty()
                                             : file.error.contains(expected.error))
            << expected.what << ": " << file.error.toStdString();
    }
    EXPECT_EQ(ParseCardFile(wrongCounts).badLines, std::vector<int>({3, 5}));
}

class Import : public ::testing::Test {
protected:
    void SetUp() override
    {
        previous_ = setGuiInteraction(&gui_);
        std::vector<std::pair<QString, int>> columns;
        for (int i = 0; i < 17; ++i)
            columns.emplace_back(QString::number(i), i == 6 ? 0 : 80);
        list_.setColumns(columns);
        list_.addRow("old", {"x"});
    }
    void TearDown() override { setGuiInteraction(previous_); }

    QString write(const QByteArray& bytes)
    {
        const QString path = dir_.filePath(QString("cards%1.txt").arg(++files_));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    RecordingInteraction gui_;
    GuiInteraction* previous_ = nullptr;
    TListViewEx list_;
    CImportUtil importer_;
    QTemporaryDir dir_;
    int files_ = 0;
};

TEST_F(Import, ReplacesAndTicksWhenAsked)
{
    gui_.nextFile(write(card(1)));
    ASSERT_TRUE(importer_.ImportListView(&list_, 2, "txt", 0, 1));
    ASSERT_EQ(list_.rowCount(), 1);
    EXPECT_EQ(list_.caption(0), "460001234560001");
    EXPECT_TRUE(list_.isChecked(0));
}

TEST_F(Import, CancelledOrRefusedLeavesTheListAlone)
{
    EXPECT_FALSE(importer_.ImportListView(&list_, 2, ".txt", 1, 0)); // no file chosen
    EXPECT_TRUE(gui_.messages().empty());

    gui_.nextFile(write(card(1) + "\n4600 1 2 3\n"));
    EXPECT_FALSE(importer_.ImportListView(&list_, 2, ".txt", 1, 0));
    EXPECT_EQ(gui_.lastMessage().caption, "提示");
    EXPECT_EQ(gui_.lastMessage().flags, 16);
    EXPECT_TRUE(gui_.lastMessage().text.contains("第2行"));

    gui_.nextFile(dir_.filePath("missing.txt"));
    EXPECT_FALSE(importer_.ImportListView(&list_, 2, ".txt", 0, 0));
    EXPECT_TRUE(gui_.lastMessage().text.contains("无法读取导入文件"));

    EXPECT_FALSE(importer_.ImportListView(&list_, 3, ".txt", 0, 0));
    EXPECT_EQ(gui_.fileDialogs().size(), 3U) << "an unknown layout asks for no file";
    EXPECT_EQ(gui_.messages().size(), 3U);

    ASSERT_EQ(list_.rowCount(), 1);
    EXPECT_EQ(list_.caption(0), "old");
}

} // namespace
