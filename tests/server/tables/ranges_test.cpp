// IMSI and MSISDN ranges of the groups: ordered, ends of equal length, no overlap, their group
// stored; criteria find the ranges that overlap theirs.
#include "records.h"
#include "tables_fixture.h"

using namespace MResRemoteMgntDef;
using namespace tablestest;

namespace {

class Ranges : public TablesTest {
protected:
    void SetUp() override
    {
        TablesTest::SetUp();
        if (IsSkipped())
            return;
        SResRemoteMsisdnGroupList groups;
        groups.push_back(group("G04"));
        groups.push_back(group("G05"));
        ASSERT_EQ(write("RMOSMQ13", groups), 0) << error.message;
    }

    int addImsi(std::initializer_list<SResRemoteImsiMsisdnGrp> ranges)
    {
        SResRemoteImsiMsisdnGrpList list;
        for (const auto& r : ranges)
            list.push_back(r);
        return write("RMOSMQ17", list);
    }

    std::vector<std::string> storedImsiRange(const std::string& group)
    {
        return rows("SELECT FIRST_IMSI, LAST_IMSI FROM rsim_imsi_range WHERE MSISDN_GROUP = ?", {group});
    }
};

TEST_P(Ranges, FirstAfterLastAndEndsOfUnequalLengthAreRefused)
{
    EXPECT_EQ(addImsi({imsiRange("G04", "460009000000009", "460009000000001")}), 1);
    EXPECT_EQ(error.minCode, rsim::kRefusedInvalid);
    EXPECT_EQ(error.message, "号段起始值大于结束值");
    EXPECT_EQ(error.hint, "第1条记录 MSISDN_GROUP=G04,REGION_CODE=10,PROVINCE_CODE=44");
    SResRemoteImsiMsisdnGrp open;
    open.set_MSISDN_GROUP("G04");
    open.set_REGION_CODE(10);
    open.set_PROVINCE_CODE("44");
    open.set_FIRST_IMSI("460009000000000");
    EXPECT_EQ(addImsi({open}), 1);
    EXPECT_EQ(error.message, "缺少LAST_IMSI");

    SResRemoteMsisdnGrpList numbers;
    SResRemoteMsisdnGrp range;
    range.set_MSISDN_GROUP("G04");
    range.set_REGION_CODE(10);
    range.set_PROVINCE_CODE("44");
    range.set_FIRST_MSISDN("1390000000");
    range.set_LAST_MSISDN("13900000000");
    numbers.push_back(range);
    EXPECT_EQ(write("RMOSMQ21", numbers), 1);
    EXPECT_EQ(error.message, "号段起止长度不一致");
    EXPECT_EQ(count("rsim_msisdn_range"), 3);
}

TEST_P(Ranges, OverlapsWithStoredRangesOrWithinTheBatchAreRefused)
{
    EXPECT_EQ(addImsi({imsiRange("G04", "460001500000000", "460001600000000")}), 1);
    EXPECT_EQ(error.minCode, rsim::kRefusedOverlap);
    EXPECT_EQ(error.message, "号段与已有号段重叠：MSISDN_GROUP=G01,REGION_CODE=10,PROVINCE_CODE=44"
                             "（460001000000000～460001999999999）");

    EXPECT_EQ(addImsi({imsiRange("G04", "460009000000000", "460009000000999"),
                       imsiRange("G05", "460009000000999", "460009000001999")}),
              1);
    EXPECT_EQ(error.minCode, rsim::kRefusedOverlap);
    EXPECT_TRUE(storedImsiRange("G04").empty()) << "the list is refused whole";

    EXPECT_EQ(addImsi({imsiRange("G04", "460009000000000", "460009000000999"),
                       imsiRange("G05", "460009000001000", "460009000001999")}),
              0)
        << error.message;
}

TEST_P(Ranges, AModifyIsJudgedByTheRangeItLeavesBehind)
{
    ASSERT_EQ(addImsi({imsiRange("G04", "460009000000000", "460009000000999")}), 0) << error.message;
    SResRemoteImsiMsisdnGrpList change;
    change.push_back(SResRemoteImsiMsisdnGrp());
    change[0].set_MSISDN_GROUP("G04");
    change[0].set_REGION_CODE(10);
    change[0].set_PROVINCE_CODE("44");
    change[0].set_LAST_IMSI("459999999999999");
    EXPECT_EQ(write("RMOSMQ18", change), 1);
    EXPECT_EQ(error.message, "号段起始值大于结束值");

    change[0].set_FIRST_IMSI("460002000000000");
    change[0].set_LAST_IMSI("460002000000999");
    EXPECT_EQ(write("RMOSMQ18", change), 1);
    EXPECT_EQ(error.minCode, rsim::kRefusedOverlap);
    EXPECT_EQ(storedImsiRange("G04"), std::vector<std::string>{"460009000000000|460009000000999"});

    change[0].set_FIRST_IMSI("460009500000000");
    change[0].set_LAST_IMSI("460009500000999");
    EXPECT_EQ(write("RMOSMQ18", change), 0) << error.message;
    EXPECT_EQ(storedImsiRange("G04"), std::vector<std::string>{"460009500000000|460009500000999"});
}

TEST_P(Ranges, ARangeBelongsToAStoredGroupWhichKeepsIt)
{
    EXPECT_EQ(addImsi({imsiRange("G99", "460009000000000", "460009000000999")}), 1);
    EXPECT_EQ(error.minCode, rsim::kRefusedReference);
    EXPECT_EQ(error.message, "号群不存在：MSISDN_GROUP=G99,REGION_CODE=10,PROVINCE_CODE=44");
    EXPECT_EQ(addImsi({imsiRange("G01", "460009000000000", "460009000000999")}), 1);
    EXPECT_EQ(error.message, "号群IMSI号段已存在") << "one IMSI range per group";

    SResRemoteMsisdnGroupList g01;
    g01.push_back(group("G01"));
    EXPECT_EQ(write("RMOSMQ15", g01), 1);
    EXPECT_EQ(error.message, "号群仍被号群IMSI号段引用，不能删除");
}

TEST_P(Ranges, CriteriaFindTheRangesThatOverlapThemAndAnEndTakesItsPrefix)
{
    SResRemoteImsiMsisdnGrp criteria;
    criteria.set_FIRST_IMSI("460002500000000");
    criteria.set_LAST_IMSI("460003000000005");
    SResRemoteImsiMsisdnGrpList found;
    ASSERT_EQ(query("RMOSMQ20", criteria, found), 0);
    ASSERT_EQ(found.count(), 2);
    EXPECT_EQ(found[0].MSISDN_GROUP, "G02");
    EXPECT_EQ(found[1].MSISDN_GROUP, "G03");

    criteria.set_FIRST_IMSI("4600015");
    criteria.set_LAST_IMSI("4600015");
    ASSERT_EQ(query("RMOSMQ20", criteria, found), 0);
    ASSERT_EQ(found.count(), 1);
    EXPECT_EQ(found[0].MSISDN_GROUP, "G01");

    SResRemoteMsisdnGrp numbers;
    numbers.set_FIRST_MSISDN("13801000000");
    numbers.set_LAST_MSISDN("13801000000");
    numbers.set_REGION_CODE(11);
    SResRemoteMsisdnGrpList numberRanges;
    ASSERT_EQ(query("RMOSMQ24", numbers, numberRanges), 0);
    ASSERT_EQ(numberRanges.count(), 1);
    EXPECT_EQ(numberRanges[0].MSISDN_GROUP, "G02");
}

INSTANTIATE_TEST_SUITE_P(Backends, Ranges, ::testing::Values(Backend::Sqlite, Backend::Postgres), backendName);

} // namespace
