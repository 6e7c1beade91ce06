// The card-file parser and ImportListView end to end.
#include "TVGUICommon.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString kImsi = "460001234567890";
const QString kKi = "0123456789ABCDEF0123456789ABCDEF";

QByteArray card(int n, const char* separator = " ")
{
    const QStringList fields = {QString("46000123456%1").arg(n, 4, 10, QChar('0')),
                                QString("8986001234567890%1").arg(n, 4, 10, QChar('0')),
                                "1234",
                                "5678",
                                "12345678",
                                "87654321",
                                kKi};
    return fields.join(separator).toUtf8();
}

QStringList row(const CardRow& r)
{
    QStringList cells;
    for (int i = 0; i < r.cells.count(); ++i)
        cells.append(r.cells.text(i));
    return cells;
}

TEST(CardFile, SevenAndEightFieldsWithAnySeparators)
{
    const CardFile file = ParseCardFile(
        kImsi.toUtf8() + " \t 89860012345678901234,1234;5678|12345678,,87654321 " + kKi.toUtf8() +
        "\r\n" + ",|" + kImsi.toUtf8() + "|8986001234567890123X|1|2|3|4|extra|" + kKi.toUtf8() +
        "|\n" + "\"460001234567891\",\"8986\",\"1\",\"2\",\"3\",\"4\",\"" + kKi.toUtf8() + "\"");
    ASSERT_TRUE(file.error.isEmpty()) << file.error.toStdString();
    ASSERT_EQ(file.rows.size(), 3U);
    EXPECT_EQ(row(file.rows[0]), QStringList({kImsi, "89860012345678901234", "1234", "5678",
                                              "12345678", "87654321", "", kKi}));
    EXPECT_EQ(row(file.rows[1]),
              QStringList({kImsi, "8986001234567890123X", "1", "2", "3", "4", "extra", kKi}));
    EXPECT_EQ(row(file.rows[2]),
              QStringList({"460001234567891", "8986", "1", "2", "3", "4", "", kKi}));
}

TEST(CardFile, SkipsBlankCommentAndHeaderLines)
{
    const CardFile file = ParseCardFile("IMSI号 SIM卡号 PIN1 PIN2 PUK1 PUK2 KI\n"
                                        "\n   \t\n# 批次 2024\n// 卡商\n; 注释\n" +
                                        card(1) + "\n-----\nabc 1 2 3\n" + card(2) + "\n");
    ASSERT_TRUE(file.error.isEmpty()) << file.error.toStdString();
    ASSERT_EQ(file.rows.size(), 2U);
    EXPECT_EQ(file.rows[1].cells.text(0), "460001234560002");
}

TEST(CardFile, Encodings)
{
    const QByteArray withBom = "\xEF\xBB\xBF"
                               "卡号\n" +
                               card(1, ",") + " 测试\n";
    CardFile file = ParseCardFile(withBom);
    ASSERT_EQ(file.rows.size(), 1U) << file.error.toStdString();
    EXPECT_EQ(file.rows[0].cells.text(0), "460001234560001")
        << "the BOM is not part of the first field";

    // GBK: "卡号" header, "测试" as the eighth field.
    const QByteArray gbk = "\xBF\xA8\xBA\xC5\r\n" +
                           card(7).replace(" " + kKi.toUtf8(), " \xB2\xE2\xCA\xD4 " + kKi.toUtf8());
    file = ParseCardFile(gbk);
    ASSERT_EQ(file.rows.size(), 1U) << file.error.toStdString();
    EXPECT_EQ(file.rows[0].cells.text(6), "测试");
    EXPECT_EQ(file.rows[0].cells.text(7), kKi);

    file = ParseCardFile(card(1) + "\n\xFF\xFE\xFF\n");
    EXPECT_TRUE(file.rows.empty());
    EXPECT_TRUE(file.error.contains("UTF-8")) << file.error.toStdString();
}

TEST(CardFile, WrongFieldCountRefusesTheWholeFileNamingTheLines)
{
    CardFile file = ParseCardFile(card(1) + "\n" + card(2) + "\n460001 2 3 4 5 6\n" + card(3) +
                                  "\n" + card(4) + " 8 9\n");
    EXPECT_TRUE(file.rows.empty());
    EXPECT_EQ(file.badLines, std::vector<int>({3, 5}));
    EXPECT_TRUE(file.error.contains("第3、5行")) << file.error.toStdString();

    QByteArray many;
    for (int i = 1; i <= 12; ++i)
        many += "4600 1 2\n";
    file = ParseCardFile(many);
    EXPECT_EQ(file.badLines.size(), 12U);
    EXPECT_TRUE(file.error.contains("第1、2、3、4、5、6、7、8、9、10行等共12行"))
        << file.error.toStdString();
}

TEST(CardFile, RefusesWhatIsNotACardFile)
{
    EXPECT_TRUE(ParseCardFile(card(1) + '\0' + "\n").error.contains("二进制"));
    EXPECT_TRUE(ParseCardFile("").error.contains("没有卡数据"));
    EXPECT_TRUE(ParseCardFile("# only a comment\nIMSI SIM\n").error.contains("没有卡数据"));

    const QByteArray longest(kMaxCardLineBytes, '#');
    EXPECT_EQ(ParseCardFile(longest + "\r\n" + card(1)).rows.size(), 1U);
    const CardFile overlong = ParseCardFile(card(1) + "\n" + longest + "#\n");
    EXPECT_TRUE(overlong.rows.empty());
    EXPECT_TRUE(overlong.error.contains("第2行过长")) << overlong.error.toStdString();
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
