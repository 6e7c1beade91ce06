// The query-only tables (card-writing log, provisioning platform, resource codes) and the demo
// data itself.
#include "records.h"
#include "tables_fixture.h"

#include "ResSysMgnt_tvd_c.h"
#include "table.h"

using namespace MResRemoteMgntDef;
using namespace tablestest;

namespace {

class Inquiries : public TablesTest {};

TEST_P(Inquiries, TheLogIsFilteredByADateSpanAndNumbersBySubstring)
{
    SQryRemoteSimLogIn criteria;
    criteria.set_REGION_CODE(10);
    criteria.set_OP_ID(1);
    criteria.set_BEGIN_OP_TIME(CBSDateTime(2026, 11, 1, 0, 0, 0));
    criteria.set_END_OP_TIME(CBSDateTime(2026, 11, 3, 23, 59, 59));
    SRemoteSimLogList found;
    ASSERT_EQ(query("RMOSMQ52", criteria, found), 0);
    ASSERT_EQ(found.count(), 6); // days 1–3 of the demo's 28-day cycle, twice
    EXPECT_EQ(found[0].SO_NBR, 202611000000);
    EXPECT_EQ(found[5].SO_NBR, 202611000030);

    SQryRemoteSimLogIn bySim;
    bySim.set_SIM_ID("9a");
    ASSERT_EQ(query("RMOSMQ52", bySim, found), 0);
    ASSERT_EQ(found.count(), 4);
    EXPECT_EQ(found[1].SIM_ID, "898610000000000019A");
}

TEST_P(Inquiries, ProvisioningRangesOverlapTheCriteriaAndSegmentsMatchExactly)
{
    SQryPsNetImsiIn imsi;
    imsi.set_START_IMSI("460005000150000");
    imsi.set_END_IMSI("460005000150000");
    SPsNetImsiList ranges;
    ASSERT_EQ(query("RMOSMQ50", imsi, ranges), 0);
    ASSERT_EQ(ranges.count(), 1);
    EXPECT_EQ(ranges[0].START_IMSI, "460005000100000");

    imsi.set_START_IMSI("460005");
    imsi.set_END_IMSI("460005");
    ASSERT_EQ(query("RMOSMQ50", imsi, ranges), 0);
    EXPECT_EQ(ranges.count(), 5) << "six-digit ends take every IMSI they begin";

    SQryPsNetNumberIn numbers;
    numbers.set_REGION_CODE("10");
    SPsNetNumberList segments;
    ASSERT_EQ(query("RMOSMQ49", numbers, segments), 0);
    ASSERT_EQ(segments.count(), 2);
    EXPECT_EQ(segments[1].NUMBER_SEGMENT, "138003");
}

TEST_P(Inquiries, ResourceCodesIgnoreTheCallersContextAndMatchAValiditySpan)
{
    MResSysMgnt::SQueryResCodeIn criteria;
    criteria.set_REGION_CODE(10);
    criteria.set_OP_ID(1);
    criteria.set_RES_NAME("白卡");
    MResSysMgnt::SResCodeDefInfoList found;
    ASSERT_EQ(query("RMRESD31", criteria, found), 0);
    EXPECT_EQ(found.count(), 3);

    criteria.set_VALID_DATE(CBSDateTime(2031, 6, 1));
    ASSERT_EQ(query("RMRESD31", criteria, found), 0);
    ASSERT_EQ(found.count(), 2);
    EXPECT_EQ(found[0].RES_CODE, 3001);
}

TEST_P(Inquiries, DemoDataSeedsOnceAndPassesTheServicesOwnChecks)
{
    rsim::tables::seedDemo(db(), box());
    EXPECT_EQ(count("rsim_sim"), 200);
    EXPECT_EQ(count("rsim_province"), 4);

    SRemoteSimInfoList demo;
    ASSERT_EQ(query("RMOSMQ28", SRemoteSimQryIn(), demo), 0);
    ASSERT_EQ(demo.count(), 200);
    ASSERT_EQ(write("RMOSMQ27", demo), 0) << error.message;
    EXPECT_EQ(count("rsim_sim"), 0);
    ASSERT_EQ(write("RMOSMQ25", demo), 0) << error.message << error.hint;
    EXPECT_EQ(count("rsim_sim"), 200);
}

INSTANTIATE_TEST_SUITE_P(Backends, Inquiries, ::testing::Values(Backend::Sqlite, Backend::Postgres), backendName);

} // namespace
