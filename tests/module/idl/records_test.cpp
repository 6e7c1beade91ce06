// Records, masks, lists and the registered type descriptions.
#include "ResRemoteSimMgnt_tvd_c.h"
#include "ResSysMgnt_tvd_c.h"
#include "sysmgnt_def_tvd_c.h"
#include "tvd_member.h"

#include <gtest/gtest.h>

using namespace MResRemoteMgntDef;

TEST(Record, SetterMarksItsBitInBothMasksBeyondTheLow32)
{
    SRemoteSimInfo sim;
    sim.set_SMSP("+8613800200500");
    EXPECT_EQ(sim.mask(0), std::uint64_t{1} << 41);
    EXPECT_EQ(sim.mask(1), std::uint64_t{1} << 41);
    EXPECT_EQ(sim.SMSP, "+8613800200500");
    sim.set_KI_KEY("k");
    EXPECT_TRUE(sim.isSet(43));
    EXPECT_FALSE(sim.isSet(42));
}

TEST(Record, CopyAndAssignmentCarryMasksAndSelfAssignmentChangesNothing)
{
    SResRemoteProvCode a;
    a.set_PROVINCE_NAME("广东");
    SResRemoteProvCode b(a);
    EXPECT_EQ(b.mask(0), a.mask(0));
    EXPECT_EQ(b.PROVINCE_NAME, "广东");
    SResRemoteProvCode c;
    c.set_PROVINCE_CODE("11");
    c = a;
    EXPECT_FALSE(c.isSet(SResRemoteProvCode::idx_PROVINCE_CODE));
    EXPECT_TRUE(c.isSet(SResRemoteProvCode::idx_PROVINCE_NAME));
    auto& self = a;
    a = self;
    EXPECT_EQ(a.PROVINCE_NAME, "广东");
    EXPECT_EQ(a.mask(0), std::uint64_t{1} << 1);
}

TEST(Record, MemberIsTypedByItsKindAndReachesTheMemberItself)
{
    SRemoteSimInfo sim;
    EXPECT_EQ(std::get<std::string*>(tvd_member(sim, SRemoteSimInfo::idx_IMSI)), &sim.IMSI);
    EXPECT_EQ(std::get<std::int16_t*>(tvd_member(sim, SRemoteSimInfo::idx_BRAND)), &sim.BRAND);
    EXPECT_EQ(std::get<std::int32_t*>(tvd_member(sim, SRemoteSimInfo::idx_HLR_CODE)),
              &sim.HLR_CODE);
    EXPECT_EQ(std::get<std::int64_t*>(tvd_member(sim, SRemoteSimInfo::idx_BATCH_ID)),
              &sim.BATCH_ID);
    EXPECT_EQ(std::get<CBSDateTime*>(tvd_member(sim, SRemoteSimInfo::idx_STS_DATE)), &sim.STS_DATE);
    EXPECT_EQ(std::get<std::string*>(tvd_member(sim, SRemoteSimInfo::idx_KI_KEY)), &sim.KI_KEY);
    const SRemoteSimInfo& readOnly = sim;
    EXPECT_EQ(std::get<const std::string*>(tvd_member(readOnly, SRemoteSimInfo::idx_SMSP)),
              &sim.SMSP);
    EXPECT_EQ(sim.mask(0), 0U) << "reaching a member does not mark it set";
}

TEST(List, ResizeAppendDataAndCount)
{
    SResRemoteProvCodeList list;
    EXPECT_EQ(list.data(), nullptr);
    EXPECT_EQ(list.listFlag(), 1);
    EXPECT_EQ(list.elementSize(), static_cast<int>(sizeof(SResRemoteProvCode)));
    list.resize(3);
    EXPECT_EQ(list.count(), 3);
    EXPECT_EQ(list.data(), &list[0]);
    auto* added = static_cast<SResRemoteProvCode*>(list.append());
    EXPECT_EQ(added, &list[3]);
    EXPECT_EQ(added->mask(0), 0U);
    list.resize(0);
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.data(), nullptr);
    list.resize(2);
    list.resize(-4);
    EXPECT_TRUE(list.empty());
}

TEST(TypeRegistry, RecordTypeDescribesItsMembers)
{
    const CTvdTypeInfo* type = CTvdTypeInfo::find("MResRemoteMgntDef::SResRemoteCardType");
    ASSERT_NE(type, nullptr);
    EXPECT_EQ(type->kind(), TVD_RECORD);
    EXPECT_EQ(type->size(), sizeof(SResRemoteCardType));
    ASSERT_EQ(type->memberCount(), 5);
    EXPECT_EQ(type->memberTypes()[0].typeName, "KQSTD string");
    EXPECT_EQ(type->memberTypes()[0].kind, TVD_STRING);
    EXPECT_EQ(type->memberTypes()[2].typeName, "int16");
    EXPECT_EQ(type->memberTypes()[3].typeName, "CBSDateTime");
    EXPECT_EQ(type->memberTypes()[3].kind, TVD_DATETIME);
    const STvdMemberTypeInfo* table = type->memberTable();
    EXPECT_STREQ(table[4].name, "IS_DOUBLE");
    EXPECT_EQ(table[4].size, 2);
    EXPECT_EQ(table[5].kind, TVD_END);
    SResRemoteCardType card;
    EXPECT_EQ(table[2].offset, reinterpret_cast<char*>(&card.STS) - reinterpret_cast<char*>(&card));
}

TEST(Operations, AllFortySevenRemoteSimOperationsAreRegistered)
{
    int found = 0;
    for (int code = 1; code <= 52; ++code) {
        char name[16];
        std::snprintf(name, sizeof name, "RMOSMQ%02d", code);
        if (tvd_findOperation("MResRemoteMgntApp_IResRemoteMgnt", name) != nullptr)
            ++found;
    }
    EXPECT_EQ(found, 47);
    for (const char* unused : {"RMOSMQ29", "RMOSMQ38", "RMOSMQ39", "RMOSMQ48", "RMOSMQ51"})
        EXPECT_EQ(tvd_findOperation("MResRemoteMgntApp_IResRemoteMgnt", unused), nullptr) << unused;
    EXPECT_NE(tvd_findOperation("MResSysMgnt_IResSysMgnt", "RMRESD31"), nullptr);
}
