// What the generated records and lists do beyond what every encoded request exercises:
// assignment onto a record with other members set and onto itself, and list sizes at their edges.
#include "ResRemoteSimMgnt_operations.h"

#include <gtest/gtest.h>

using namespace MResRemoteMgntDef;

TEST(Record, AssignmentReplacesTheMasksAndListSizesAtTheirEdges)
{
    SResRemoteProvCode a;
    a.set_PROVINCE_NAME("广东");
    SResRemoteProvCode c;
    c.set_PROVINCE_CODE("11");
    c = a;
    EXPECT_FALSE(c.isSet(SResRemoteProvCode::idx_PROVINCE_CODE));
    EXPECT_TRUE(c.isSet(SResRemoteProvCode::idx_PROVINCE_NAME));
    auto& self = a;
    a = self;
    EXPECT_EQ(a.PROVINCE_NAME, "广东");
    EXPECT_EQ(a.mask(0), std::uint64_t{1} << 1);

    // Empty lists have no data; negative sizes empty them.
    SResRemoteProvCodeList list;
    EXPECT_EQ(list.data(), nullptr);
    list.resize(3);
    auto* added = static_cast<SResRemoteProvCode*>(list.append());
    EXPECT_EQ(added, &list[3]);
    EXPECT_EQ(added->mask(0), 0U);
    list.resize(0);
    EXPECT_EQ(list.data(), nullptr);
    list.resize(2);
    list.resize(-4);
    EXPECT_TRUE(list.empty());
}
