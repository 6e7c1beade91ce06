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

TEST(PackedCellsTest, KeepsEachCellAsGivenAndChangingOneKeepsTheOthers)
{
    const PackedCells cells(u"460001234560001", {"8986", "", "测试卡", "a\"b,c", ""});
    EXPECT_EQ(texts(cells), QStringList({"460001234560001", "8986", "", "测试卡", "a\"b,c", ""}));
    EXPECT_EQ(cells.utf8(3), "测试卡") << "the texts are held as UTF-8";
    EXPECT_EQ(cells.text(6), QString()) << "beyond the last cell reads empty";
    EXPECT_EQ(cells.text(-1), QString());
    EXPECT_EQ(PackedCells().count(), 0);
    EXPECT_EQ(PackedCells().text(0), QString());

    const std::string_view utf8[] = {"46000", "", "营业厅"};
    EXPECT_EQ(texts(PackedCells(std::span<const std::string_view>(utf8))),
              QStringList({"46000", "", "营业厅"}));

    PackedCells changed(u"first", {"second", "third"});
    changed.setText(1, u"a much longer second cell");
    EXPECT_EQ(texts(changed), QStringList({"first", "a much longer second cell", "third"}));
    changed.setText(0, u"");
    EXPECT_EQ(texts(changed), QStringList({"", "a much longer second cell", "third"}));
    changed.setText(2, u"末");
    EXPECT_EQ(texts(changed), QStringList({"", "a much longer second cell", "末"}));

    PackedCells empty;
    empty.setText(3, u"fourth");
    EXPECT_EQ(texts(empty), QStringList({"", "", "", "fourth"}));
    empty.setText(-1, u"ignored");
    EXPECT_EQ(empty.count(), 4);
}

} // namespace
