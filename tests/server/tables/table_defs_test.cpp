// The service's table definitions name only members that exist, and define each table once.
#include "table.h"

#include <gtest/gtest.h>

#include <set>

using namespace rsim::tables;

TEST(TableDefs, NamingAMemberTheRecordLacksFailsWhenTheTablesAreMade)
{
    EXPECT_NO_THROW(Tables());
    for (auto broken : {+[](TableDef& d) {
                            d.rules.push_back({"NO_SUCH", Format::Any});
                        },
                        +[](TableDef& d) {
                            d.rules.push_back({"IMSI", Format::Any, "rsim_x"});
                        },
                        +[](TableDef& d) { d.contains.push_back("NO_SUCH"); },
                        +[](TableDef& d) { d.rangeFirst = "IMSI"; },
                        +[](TableDef& d) {
                            d.criteria.push_back({"MAX_NUM", "NO_SUCH", Filter::Equal});
                        }}) {
        TableDef def = TableDefOf(rsimcatalog::TableOf<MResRemoteMgntDef::SRemoteSimInfo>().name);
        broken(def);
        EXPECT_THROW(Table{def}, std::logic_error);
    }
}

// A family without a definition fails every service test of its table; two would go unseen.
TEST(TableDefs, NoTableIsDefinedTwice)
{
    std::set<std::string> names;
    for (const auto& def : TableDefs())
        EXPECT_TRUE(names.insert(def.name()).second) << def.name() << " is defined twice";
}
