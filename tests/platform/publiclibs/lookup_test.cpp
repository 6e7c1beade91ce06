// Code-name lookups and the combo item code.
#include "PublicAccount.h"
#include "PublicBusi.h"
#include "PublicSysMgnt.h"

#include <gtest/gtest.h>

namespace {

std::unique_ptr<CNameCodeLookup> statuses()
{
    return MakeNameCodeLookup({{1, "Normal"}, {13, "作废"}, {2, "正常"}, {2, "Duplicate"}});
}

} // namespace

// Items are "[code] name"; codes are found from an item ignoring case or from its leading
// digits, and a code's item and name are its first entry's or fall back.
TEST(Lookup, ItemsCodesAndNamesOfAListCutAt127BytesOnACharacterBoundary)
{
    auto lookup = statuses();
    QStringList items;
    lookup->FillItems(items);
    EXPECT_EQ(items, QStringList({"[1] Normal", "[13] 作废", "[2] 正常", "[2] Duplicate"}));
    EXPECT_EQ(lookup->CodeOfItem("[1] NORMAL"), 1);
    EXPECT_EQ(lookup->CodeOfItem("17abc"), 17);
    EXPECT_EQ(lookup->CodeOfItem("abc"), 0);
    EXPECT_EQ(lookup->CodeOfName("normal"), 1);
    EXPECT_EQ(lookup->CodeOfName("正常"), 2);
    EXPECT_STREQ(lookup->ItemOfCode(2), "[2] 正常");
    EXPECT_STREQ(lookup->NameOfCode(2), "正常");
    EXPECT_STREQ(lookup->ItemOfCode(99), "99");
    EXPECT_STREQ(lookup->NameOfCode(99), "");
    EXPECT_EQ(ExtractItemCode("[13] 作废"), 13);
    EXPECT_EQ(ExtractItemCode("[-1] 忽略"), -1);
    EXPECT_EQ(ExtractItemCode("no brackets"), 0);
    EXPECT_EQ(ExtractItemCode("[7"), 0);

    const std::string longName(200, 'x');
    TCNameCodeInfo entry(1, longName);
    EXPECT_EQ(std::strlen(entry.name), 127U);
    const std::string chinese = std::string(125, 'a') + "中文";
    TCNameCodeInfo cut(2, chinese);
    EXPECT_EQ(std::string(cut.name), std::string(125, 'a'));
    EXPECT_EQ(CBasicLookup::ItemText(123, longName).size(), 127U);
}

TEST(Lookup, ReturnedTextsShareOneBufferAndFillingAndRecordListsWork)
{
    auto a = statuses();
    auto b = MakeNameCodeLookup({{5, "五"}});
    const char* first = a->ItemOfCode(1);
    const char* second = b->ItemOfCode(5);
    EXPECT_EQ(first, second);
    EXPECT_STREQ(first, "[5] 五");

    // A combo box gets the items appended, the first selected.
    QComboBox combo;
    combo.addItem("kept");
    statuses()->FillComboBox(&combo);
    EXPECT_EQ(combo.count(), 5);
    EXPECT_EQ(combo.currentIndex(), 0);
    QComboBox empty;
    MakeNameCodeLookup({})->FillComboBox(&empty);
    EXPECT_EQ(empty.currentIndex(), -1);
    statuses()->FillComboBox(nullptr);

    // A lookup of a record list reads its members.
    MSysmgntDef::SCountyList counties;
    auto& county = *static_cast<MSysmgntDef::SCounty*>(counties.append());
    county.set_COUNTY_CODE(3);
    county.set_COUNTY_NAME("天河");
    auto lookup = MakeCountyLookup(counties);
    MSysmgntDef::SCounty ignore;
    ignore.set_COUNTY_CODE(-1);
    ignore.set_COUNTY_NAME("忽略");
    lookup->Entries().insert(0, ignore);
    EXPECT_STREQ(lookup->ItemOfCode(-1), "[-1] 忽略");
    EXPECT_EQ(lookup->CodeOfItem("[3] 天河"), 3);
}
