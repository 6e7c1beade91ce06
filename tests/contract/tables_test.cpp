// The table declarations both ends read, and the operation list derived from them.
#include "ResRemoteSimTables.h"
#include "SysMgntService_operations.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

using namespace MResRemoteMgntDef;
using rsimcatalog::TableOf;

namespace {

struct Family {
    std::string suffix;
    std::vector<std::string> codes; // add, modify, delete, query
    std::string listMember;
    std::string criteriaMember;
    std::string record;
    rsimcatalog::TableInfo table;
};

std::vector<Family> families()
{
    std::vector<Family> rows;
#define RSIM_TEST_FAMILY_(Rec, suffix, add, mod, del, qry, listName, critName, CritT)              \
    rows.push_back(                                                                                \
        {#suffix, {add, mod, del, qry}, #listName, #critName, Rec::kTypeName, TableOf<Rec>()});
    RSIM_FAMILIES(RSIM_TEST_FAMILY_)
#undef RSIM_TEST_FAMILY_
    return rows;
}

const TvdOperation& operation(const std::string& code)
{
    const TvdOperation* op = tvd_findOperation("MResRemoteMgntApp_IResRemoteMgnt", code);
    if (op == nullptr)
        throw std::runtime_error("no operation " + code);
    return *op;
}

} // namespace

TEST(Families, CodesRiseWithoutSharingNameTheirOperationsAndRecordsAndWritesHaveRights)
{
    std::string previous;
    for (const auto& family : families()) {
        const char* verbs[] = {"add_", "mod_", "del_", "qry_"};
        for (int i = 0; i < 4; ++i) {
            EXPECT_LT(previous, family.codes[i]) << family.suffix;
            previous = family.codes[i];
            EXPECT_EQ(operation(family.codes[i]).name, verbs[i] + family.suffix);
        }

        const std::string bare = family.record.substr(family.record.find("::S") + 3);
        EXPECT_EQ(family.listMember, "list" + bare);
        const TvdOperation& write = operation(family.codes[0]);
        EXPECT_EQ(write.in->memberTable()[1].name, family.listMember);
        const TvdOperation& query = operation(family.codes[3]);
        EXPECT_EQ(query.in->memberTable()[0].name, family.criteriaMember);
        EXPECT_EQ(family.criteriaMember[0], 's') << family.suffix;
        EXPECT_EQ(query.out->memberTable()[0].name, family.listMember);

        const auto rights = family.table.rights;
        for (int entity : {rights.add, rights.modify, rights.remove})
            EXPECT_TRUE(rsimcatalog::IsWriteRight(entity)) << family.table.name << " " << entity;
        EXPECT_NE(rights.add, rights.modify);
        EXPECT_NE(rights.modify, rights.remove);
    }
    EXPECT_FALSE(rsimcatalog::IsWriteRight(0));
    EXPECT_FALSE(rsimcatalog::IsWriteRight(55001));
    EXPECT_FALSE(rsimcatalog::IsWriteRight(53710));
}

// Every right a table declares is asked once; each window has its own code of the module's block
// and a caption; a coded member names its code list.
TEST(Catalog, RightsAskedAndWindowsFollowFromTheTables)
{
    const std::vector<int> asked = rsimcatalog::RightsAsked();
    EXPECT_EQ(std::set<int>(asked.begin(), asked.end()).size(), asked.size());
    for (const auto& table : rsimcatalog::kTables)
        for (int id :
             {table.rights.read, table.rights.add, table.rights.modify, table.rights.remove})
            EXPECT_TRUE(id == 0 || std::find(asked.begin(), asked.end(), id) != asked.end())
                << table.name << " " << id;
    EXPECT_TRUE(std::is_sorted(asked.begin(), asked.end(), [](int a, int b) {
        return a / 1000 != b / 1000 ? a / 1000 > b / 1000 : a < b;
    }));

    int previous = 0;
    for (const auto& window : rsimcatalog::Windows()) {
        EXPECT_LT(previous, window.functionCode) << "ascending, each code once";
        previous = window.functionCode;
        EXPECT_GE(window.functionCode, 0x9AE11D);
        EXPECT_LE(window.functionCode, 0x9AE12B);
        EXPECT_TRUE(window.caption.starts_with("远程写卡")) << window.functionCode;
    }
    EXPECT_EQ(TableOf<SResRemoteMsisdnGroup>().codeListOf(SResRemoteMsisdnGroup::idx_REGION_CODE),
              rsimcatalog::Regions);
    EXPECT_THROW(
        TableOf<SResRemoteMsisdnGroup>().codeListOf(SResRemoteMsisdnGroup::idx_MSISDN_NAME),
        std::logic_error);
}
