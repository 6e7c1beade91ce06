// Card data follows the formats of the trade, checked at the edges of each rule.
#include "records.h"
#include "tables_fixture.h"

using namespace MResRemoteMgntDef;
using namespace tablestest;

namespace {

class CardFormats : public TablesTest {};

struct Case {
    int member;
    const char* name;
    const char* value;
    bool accepted;
};

const Case kCases[] = {
    {SRemoteSimInfo::idx_IMSI, "IMSI", "46000900001234", false},
    {SRemoteSimInfo::idx_IMSI, "IMSI", "460009000012345", true},
    {SRemoteSimInfo::idx_IMSI, "IMSI", "4600090000123456", false},
    {SRemoteSimInfo::idx_IMSI, "IMSI", "46000900001234X", false},
    {SRemoteSimInfo::idx_SIM_ID, "SIM_ID", "898600900000000001", false},
    {SRemoteSimInfo::idx_SIM_ID, "SIM_ID", "8986009000000000012", true},
    {SRemoteSimInfo::idx_SIM_ID, "SIM_ID", "89860090000000000123", true},
    {SRemoteSimInfo::idx_SIM_ID, "SIM_ID", "898600900000000001234", false},
    {SRemoteSimInfo::idx_SIM_ID, "SIM_ID", "898600900000000abcDF", true},
    {SRemoteSimInfo::idx_SIM_ID, "SIM_ID", "89860090000000000G12", false},
    {SRemoteSimInfo::idx_KI_CODE, "KI_CODE", "0123456789ABCDEF0123456789ABCDE", false},
    {SRemoteSimInfo::idx_KI_CODE, "KI_CODE", "0123456789abcdef0123456789ABCDEF", true},
    {SRemoteSimInfo::idx_KI_CODE, "KI_CODE", "0123456789ABCDEF0123456789ABCDEF0", false},
    {SRemoteSimInfo::idx_KI_CODE, "KI_CODE", "0123456789ABCDEF0123456789ABCDEG", false},
    {SRemoteSimInfo::idx_KI_CODE, "KI_CODE", "0123456789ABCDEF 123456789ABCDEF", false},
    {SRemoteSimInfo::idx_PIN1, "PIN1", "123", false},
    {SRemoteSimInfo::idx_PIN1, "PIN1", "1234", true},
    {SRemoteSimInfo::idx_PIN2, "PIN2", "12345678", true},
    {SRemoteSimInfo::idx_PIN2, "PIN2", "123456789", false},
    {SRemoteSimInfo::idx_PUK1, "PUK1", "1234567", false},
    {SRemoteSimInfo::idx_PUK1, "PUK1", "12345678", true},
    {SRemoteSimInfo::idx_PUK2, "PUK2", "123456789", false},
    {SRemoteSimInfo::idx_PUK2, "PUK2", "1234567a", false},
    {SRemoteSimInfo::idx_SMSP, "SMSP", "+86138002005001234567", true},
    {SRemoteSimInfo::idx_SMSP, "SMSP", "+861380020050012345678", false},
    {SRemoteSimInfo::idx_SMSP, "SMSP", "86138002005001234567", true},
    {SRemoteSimInfo::idx_SMSP, "SMSP", "", true},
    {SRemoteSimInfo::idx_SMSP, "SMSP", "+", false},
    {SRemoteSimInfo::idx_SMSP, "SMSP", "+86-13800200500", false},
    {SRemoteSimInfo::idx_KI_KEY, "KI_KEY", "", true},
    {SRemoteSimInfo::idx_KI_KEY, "KI_KEY", "1234567", false},
    {SRemoteSimInfo::idx_KI_KEY, "KI_KEY", "12345678123456781234567812345678", true},
    {SRemoteSimInfo::idx_KI_KEY, "KI_KEY", "1234567812345678123456781234567812345678", false},
};

TEST_P(CardFormats, EveryRuleHoldsAtItsEdges)
{
    int n = 0;
    for (const auto& c : kCases) {
        SCOPED_TRACE(std::string(c.name) + " = \"" + c.value + "\"");
        SRemoteSimInfo sim = card(++n);
        setText(sim, c.member, c.value);
        SRemoteSimInfoList one;
        one.push_back(sim);
        const int result = write("RMOSMQ25", one);
        EXPECT_EQ(result == 0, c.accepted) << error.message;
        if (!c.accepted) {
            EXPECT_EQ(error.minCode, rsim::kRefusedInvalid);
            EXPECT_EQ(error.message.rfind(std::string(c.name) + "格式错误：", 0), 0U) << error.message;
        }
    }
}

TEST_P(CardFormats, RangeEndsFollowTheirFormats)
{
    SResRemoteMsisdnGroupList groups;
    groups.push_back(group("G04"));
    ASSERT_EQ(write("RMOSMQ13", groups), 0) << error.message;
    auto numbers = [](const char* first, const char* last) {
        SResRemoteMsisdnGrpList list;
        SResRemoteMsisdnGrp range;
        range.set_MSISDN_GROUP("G04");
        range.set_REGION_CODE(10);
        range.set_PROVINCE_CODE("44");
        range.set_FIRST_MSISDN(first);
        range.set_LAST_MSISDN(last);
        list.push_back(range);
        return list;
    };
    EXPECT_EQ(write("RMOSMQ21", numbers("1390000000000000", "1390000099999999")), 1);
    EXPECT_EQ(error.message, "FIRST_MSISDN格式错误：必须为1到15位数字");
    EXPECT_EQ(write("RMOSMQ21", numbers("139000000000000", "13900009999999a")), 1);
    EXPECT_EQ(error.message, "LAST_MSISDN格式错误：必须为1到15位数字");
    EXPECT_EQ(write("RMOSMQ21", numbers("139000000000000", "139000099999999")), 0) << error.message;

    SResRemoteImsiMsisdnGrpList imsi;
    imsi.push_back(imsiRange("G04", "46000900000000", "46000900000099"));
    EXPECT_EQ(write("RMOSMQ17", imsi), 1);
    EXPECT_EQ(error.message, "FIRST_IMSI格式错误：必须为15位数字");
}

INSTANTIATE_TEST_SUITE_P(Backends, CardFormats, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         backendName);

} // namespace
