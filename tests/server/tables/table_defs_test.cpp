// The service's table definitions name only members that exist, and cover every maintained table.
#include "table.h"

#include <gtest/gtest.h>

#include <set>

using namespace rsim::tables;

namespace {

bool hasMember(const CTvdTypeInfo& type, const std::string& name)
{
    return type.memberIndex(name) >= 0;
}

} // namespace

TEST(TableDefs, EveryMemberNamedIsAMemberOfTheTablesRecord)
{
    for (const auto& def : TableDefs()) {
        const CTvdTypeInfo& record = def.record();
        for (const auto& rule : def.rules) {
            EXPECT_TRUE(hasMember(record, rule.member)) << def.name() << " rule " << rule.member;
            if (!rule.references.empty()) {
                EXPECT_NO_THROW(TableDefOf(rule.references))
                    << def.name() << " " << rule.references;
            }
        }
        for (const auto& name : def.uniques)
            EXPECT_TRUE(hasMember(record, name)) << def.name() << " unique " << name;
        for (const auto& name : def.contains)
            EXPECT_TRUE(hasMember(record, name)) << def.name() << " contains " << name;
        for (const auto& name : {def.rangeFirst, def.rangeLast})
            EXPECT_TRUE(name.empty() || hasMember(record, name)) << def.name() << " range " << name;
        EXPECT_EQ(def.rangeFirst.empty(), def.rangeLast.empty()) << def.name();
    }
}

TEST(TableDefs, CriteriaOfAnotherRecordFilterExistingColumns)
{
    for (const auto& def : TableDefs()) {
        for (const auto& criterion : def.criteria) {
            if (criterion.filter != Filter::Limit) {
                EXPECT_TRUE(hasMember(def.record(), criterion.column))
                    << def.name() << " criterion " << criterion.member;
            }
        }
    }
}

TEST(TableDefs, EachMaintainedTableHasOneDefinitionOfItsRecord)
{
#define RSIM_TEST_HAS_DEF_(Rec, ...)                                                               \
    {                                                                                              \
        const auto& declared = rsimcatalog::TableOf<MResRemoteMgntDef::Rec>();                     \
        const TableDef& def = TableDefOf(std::string(declared.name));                              \
        EXPECT_EQ(&def.record(), &MResRemoteMgntDef::Rec::typeInfo()) << declared.name;            \
    }
    RSIM_FAMILIES(RSIM_TEST_HAS_DEF_)
#undef RSIM_TEST_HAS_DEF_
    std::set<std::string> names;
    for (const auto& def : TableDefs())
        EXPECT_TRUE(names.insert(def.name()).second) << def.name() << " is defined twice";
}

TEST(TableDefs, KeyNamesFollowTheDeclaredKeyInOrder)
{
    const std::vector<std::string> expected{"PROVINCE_CODE", "VENDOR_CODE", "CARD_TYPE",
                                            "DLL_NAME"};
    EXPECT_EQ(TableDefOf("rsim_vendor_dll").keyNames(), expected);
    EXPECT_EQ(TableDefOf("rsim_sim").keyNames(), std::vector<std::string>{"IMSI"});
    EXPECT_THROW(TableDefOf("rsim_nothing"), std::logic_error);
}
