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

TEST(Families, CodesRiseWithoutSharingNameTheirOperationsAndRecordsAndTheRightsAndWindowsFit)
{
    const std::vector<int> asked = MSysSvcDef::RightsEntities();
    std::string previous;
    std::set<int> codes;
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

        // Every write right is among the entities the windows ask for; each table opens its own
        // window of the module's block.
        const auto rights = family.table.rights;
        for (int entity : {rights.add, rights.modify, rights.remove}) {
            EXPECT_NE(std::find(asked.begin(), asked.end(), entity), asked.end())
                << family.table.name << " " << entity;
            EXPECT_TRUE(rsimcatalog::IsWriteRight(entity));
        }
        EXPECT_NE(rights.add, rights.modify);
        EXPECT_NE(rights.modify, rights.remove);

        const int code = family.table.functionCode;
        EXPECT_GE(code, 0x9AE11D) << family.table.name;
        EXPECT_LE(code, 0x9AE12B) << family.table.name;
        EXPECT_TRUE(codes.insert(code).second) << family.table.name << " shares " << code;
    }
    EXPECT_FALSE(rsimcatalog::IsWriteRight(0));
    EXPECT_FALSE(rsimcatalog::IsWriteRight(55001));
    EXPECT_FALSE(rsimcatalog::IsWriteRight(53710));
}
