// The module's own lookup over fixed entries, as the inquiry window's card flag uses it.
#include "CAutoLookup.h"

#include <QComboBox>

#include <gtest/gtest.h>

namespace {

CAutoLookup cardFlags()
{
    return CAutoLookup({{0, "否"}, {1, "是"}});
}

TEST(CAutoLookup, FillsItsEntriesInOrderAndSelectsTheFirst)
{
    QComboBox combo;
    combo.addItem("kept");
    cardFlags().FillComboBox(&combo);
    ASSERT_EQ(combo.count(), 3);
    EXPECT_EQ(combo.itemText(1), "[0] 否");
    EXPECT_EQ(combo.itemText(2), "[1] 是");
    EXPECT_EQ(combo.currentIndex(), 0);
    QComboBox empty;
    CAutoLookup({}).FillComboBox(&empty);
    EXPECT_EQ(empty.currentIndex(), -1);
}

TEST(CAutoLookup, CodesAndTextsOfKnownAndUnknownEntries)
{
    const auto flags = cardFlags();
    EXPECT_EQ(flags.CodeOfItem("[1] 是"), 1);
    EXPECT_EQ(flags.CodeOfItem("17x"), 17);
    EXPECT_EQ(flags.CodeOfName("否"), 0);
    EXPECT_STREQ(flags.ItemOfCode(1), "[1] 是");
    EXPECT_STREQ(flags.ItemOfCode(2), "2");
    EXPECT_STREQ(flags.NameOfCode(0), "否");
    EXPECT_STREQ(flags.NameOfCode(2), "");
}

} // namespace
