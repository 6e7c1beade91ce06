// The write-log query through the service, on SQLite and on PostgreSQL: each criterion, the span
// with its inclusive ends, newest entries first, the row cap, and the indexes behind them.
#include "service_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <memory>

using namespace MResRemoteMgntDef;
using testsupport::Backend;

namespace {

const std::vector<std::string> kColumns{"SO_NBR",    "SIM_ID", "IMSI",   "OP_ID",      "OP_TIME",
                                        "CARD_FLAG", "PHONE1", "PHONE2", "REGION_CODE"};

rsim::db::Row rowOf(long long soNbr, const std::string& time, int region, int op,
                    const std::string& phone2, const std::string& cardFlag)
{
    const std::string tail = std::to_string(soNbr % 1000000);
    const std::string digits = std::string(7 - tail.size(), '0') + tail;
    return {std::int64_t{soNbr},
            "8986030000000" + digits,
            "46003000" + digits,
            std::int64_t{op},
            time,
            cardFlag,
            "1390" + digits,
            phone2,
            std::int64_t{region}};
}

class WriteLog : public testsupport::ServiceTest {
protected:
    void SetUp() override
    {
        ServiceTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        db_ = database();
        // Region 30 and operators 301/302 are not in the demo data; the last digits of each
        // entry's number are those of its IMSI, SIM number and main number.
        db_->insertMany("rsim_write_log", kColumns,
                        {rowOf(910000000001, "2026-03-10 00:00:00", 30, 301, "", "0"),
                         rowOf(910000000002, "2026-03-10 23:59:59", 30, 301, "14700000002", "1"),
                         rowOf(910000000003, "2026-03-11 00:00:00", 30, 301, "", "0"),
                         rowOf(910000000004, "2026-03-09 23:59:59", 30, 301, "", "0"),
                         rowOf(910000000005, "2026-03-10 12:00:00", 31, 301, "", "0"),
                         rowOf(910000000006, "2026-03-10 12:00:00", 30, 302, "", "0")});
    }

    // The window's criteria: always a region and an operator.
    static SQryRemoteSimLogIn criteria(int region = 30, int op = 301)
    {
        SQryRemoteSimLogIn in;
        in.set_REGION_CODE(static_cast<std::int16_t>(region));
        in.set_OP_ID(op);
        return in;
    }

    // The work orders answered, in the order answered.
    std::vector<long long> query(const SQryRemoteSimLogIn& in)
    {
        SRemoteSimLogList out;
        EXPECT_EQ(remote_.qry_remoteSimLog(in, out, error_, nullptr), 0) << error_.message;
        std::vector<long long> orders;
        for (const auto& entry : out)
            orders.push_back(entry.SO_NBR);
        return orders;
    }

    // Everything the database says of how it would run the SQL, in capitals.
    std::string plan(const std::string& sql)
    {
        const bool postgres = GetParam() == Backend::Postgres;
        if (postgres)
            db_->exec("SET enable_seqscan = off");
        std::string text;
        db_->query((postgres ? "EXPLAIN " : "EXPLAIN QUERY PLAN ") + sql, {},
                   [&](const rsim::db::Row& row) {
                       for (const auto& value : row)
                           text += rsim::db::asText(value) + " ";
                   });
        std::transform(text.begin(), text.end(), text.begin(),
                       [](unsigned char c) { return std::toupper(c); });
        return text;
    }

    std::unique_ptr<rsim::db::Driver> db_;
};

// A span includes both its ends; the newest entries come first, up to the row cap.
TEST_P(WriteLog, EachCriterionMatchesItsEntryExactlyWithinTheOperatorsRegionNewestFirst)
{
    using Orders = std::vector<long long>;
    const auto span = [](CBSDateTime begin, CBSDateTime end) {
        return [=](SQryRemoteSimLogIn& in) {
            in.set_BEGIN_OP_TIME(begin);
            in.set_END_OP_TIME(end);
        };
    };
    const std::pair<std::function<void(SQryRemoteSimLogIn&)>, Orders> cases[] = {
        {[](auto&) {}, {910000000003, 910000000002, 910000000001, 910000000004}},
        {span(CBSDateTime(2026, 3, 10, 0, 0, 0), CBSDateTime(2026, 3, 10, 23, 59, 59)),
         {910000000002, 910000000001}},
        {span(CBSDateTime(2026, 3, 11, 0, 0, 0), CBSDateTime(2026, 3, 9, 23, 59, 59)), {}},
        {[](auto& in) { in.set_SO_NBR(910000000001); }, {910000000001}},
        {[](auto& in) { in.set_SIM_ID("89860300000000000002"); }, {910000000002}},
        {[](auto& in) { in.set_IMSI("460030000000003"); }, {910000000003}},
        {[](auto& in) { in.set_IMSI("46003000000000"); }, {}}, // whole, not by its beginning
        {[](auto& in) { in.set_PHONE1("13900000004"); }, {910000000004}},
        {[](auto& in) { in.set_PHONE2("14700000002"); }, {910000000002}},
        {[](auto& in) { in.set_CARD_FLAG("1"); }, {910000000002}},
        {[](auto& in) { in.set_REGION_CODE(31); }, {910000000005}},
        {[](auto& in) { in.set_OP_ID(302); }, {910000000006}},
        {[](auto& in) {
             in.set_REGION_CODE(31);
             in.set_SO_NBR(910000000001);
         },
         {}}, // another region's entry
    };
    int n = 0;
    for (const auto& [set, orders] : cases) {
        auto in = criteria();
        set(in);
        EXPECT_EQ(query(in), orders) << "case " << n++;
    }

    std::vector<rsim::db::Row> rows;
    for (int hour = 0; hour < 1005; ++hour) {
        const CBSDateTime when =
            CBSDateTime::fromTDateTime(CBSDateTime(2026, 4, 1).toTDateTime() + hour / 24.0);
        rows.push_back(rowOf(920000000000 + hour, when.toWire(), 32, 321, "", "0"));
    }
    db_->insertMany("rsim_write_log", kColumns, rows);
    const auto orders = query(criteria(32, 321));
    ASSERT_EQ(orders.size(), 1000U);
    EXPECT_EQ(orders.front(), 920000001004);
    EXPECT_EQ(orders.back(), 920000000005);
    EXPECT_TRUE(std::is_sorted(orders.rbegin(), orders.rend()));
}

TEST_P(WriteLog, IndexesServeTheSpanAndEveryNumberCriterion)
{
    const std::string select = "SELECT SO_NBR FROM rsim_write_log WHERE ";
    const std::string window =
        " AND REGION_CODE = 30 AND OP_ID = 301 ORDER BY OP_TIME DESC LIMIT 1000";
    const std::string span =
        "OP_TIME >= '2026-03-01 00:00:00' AND OP_TIME <= '2026-03-31 23:59:59'";
    for (const std::string& where : std::vector<std::string>{
             span, "IMSI = '460030000000003'", "SIM_ID = '89860300000000000002'",
             "PHONE1 = '13900000004'", "PHONE2 = '14700000002'", "SO_NBR = 910000000001"}) {
        for (const std::string& sql : std::vector<std::string>{
                 select + where + " ORDER BY OP_TIME DESC LIMIT 1000", select + where + window}) {
            const std::string how = plan(sql);
            EXPECT_NE(how.find("INDEX"), std::string::npos) << sql << "\n" << how;
            EXPECT_EQ(how.find("SCAN RSIM_WRITE_LOG"), std::string::npos) << sql << "\n" << how;
            EXPECT_EQ(how.find("SEQ SCAN"), std::string::npos) << sql << "\n" << how;
        }
    }
}

RSIM_ON_EVERY_BACKEND(WriteLog);

} // namespace
