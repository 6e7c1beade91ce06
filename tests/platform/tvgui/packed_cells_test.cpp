#include "packed_cells.h"

#include <gtest/gtest.h>

namespace {

QStringList texts(const PackedCells& cells)
{
    QStringList out;
    for (int i = 0; i < cells.count(); ++i)
        out.append(cells.text(i));
    return out;
}

TEST(PackedCellsTest, KeepsEachCellAsGiven)
{
    const PackedCells cells(u"460001234560001", {"8986", "", "测试卡", "a\"b,c", ""});
    EXPECT_EQ(texts(cells), QStringList({"460001234560001", "8986", "", "测试卡", "a\"b,c", ""}));
    EXPECT_EQ(cells.utf8(3), "测试卡") << "the texts are held as UTF-8";
    EXPECT_EQ(cells.text(6), QString()) << "beyond the last cell reads empty";
    EXPECT_EQ(cells.text(-1), QString());
    EXPECT_EQ(PackedCells().count(), 0);
    EXPECT_EQ(PackedCells().text(0), QString());
}

TEST(PackedCellsTest, UTF8TextsArePackedAsTheyAre)
{
    const std::string_view utf8[] = {"46000", "", "营业厅"};
    const PackedCells cells{std::span<const std::string_view>(utf8)};
    EXPECT_EQ(texts(cells), QStringList({"46000", "", "营业厅"}));
}

TEST(PackedCellsTest, ChangingOneCellKeepsTheOthers)
{
    PackedCells cells(u"first", {"second", "third"});
    cells.setText(1, u"a much longer second cell");
    EXPECT_EQ(texts(cells), QStringList({"first", "a much longer second cell", "third"}));
    cells.setText(0, u"");
    EXPECT_EQ(texts(cells), QStringList({"", "a much longer second cell", "third"}));
    cells.setText(2, u"末");
    EXPECT_EQ(texts(cells), QStringList({"", "a much longer second cell", "末"}));
}

TEST(PackedCellsTest, WritingBeyondTheLastCellAddsEmptyCells)
{
    PackedCells cells;
    cells.setText(3, u"fourth");
    EXPECT_EQ(texts(cells), QStringList({"", "", "", "fourth"}));
    cells.setText(-1, u"ignored");
    EXPECT_EQ(cells.count(), 4);
}

} // namespace
