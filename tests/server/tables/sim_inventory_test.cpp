// The SIM inventory: its query criteria, batches accepted or refused whole, duplicates, partial
// modifies, and KI values that are stored encrypted and never leave the service in the clear
// except in a query answer.
#include "records.h"
#include "tables_fixture.h"

using namespace MResRemoteMgntDef;
using namespace tablestest;

namespace {

class SimInventory : public TablesTest {
protected:
    SRemoteSimInfoList find(const SRemoteSimQryIn& criteria)
    {
        SRemoteSimInfoList found;
        EXPECT_EQ(query("RMOSMQ28", criteria, found), 0);
        return found;
    }

    static SRemoteSimQryIn imsiRange(const std::string& first, const std::string& last)
    {
        SRemoteSimQryIn criteria;
        criteria.set_START_IMSI(first);
        criteria.set_END_IMSI(last);
        return criteria;
    }

    std::int64_t storedTestCards()
    {
        return rsim::db::asInt(db().scalar("SELECT COUNT(*) FROM rsim_sim WHERE IMSI LIKE '460009%'"));
    }
};

TEST_P(SimInventory, CriteriaFilterOnlyWhenSetAndMinusOneOrZeroMeanNoFilter)
{
    EXPECT_EQ(find(SRemoteSimQryIn()).count(), 200) << "no criterion set: every card, up to the cap";

    SRemoteSimQryIn criteria = imsiRange("460001000000010", "460001000000019");
    criteria.set_REGION_CODE(-1);
    criteria.set_COUNTY_CODE(0);
    criteria.set_ORG_ID(0);
    criteria.set_STS(0);
    SRemoteSimInfoList found = find(criteria);
    ASSERT_EQ(found.count(), 10);
    EXPECT_EQ(found[0].IMSI, "460001000000010");
    EXPECT_EQ(found[9].IMSI, "460001000000019");
    EXPECT_EQ(found[0].KI_CODE.size(), 32U);
    EXPECT_TRUE(found[0].isSet(SRemoteSimInfo::idx_KI_KEY));

    criteria.set_REGION_CODE(11);
    EXPECT_EQ(find(criteria).count(), 0);
    criteria.set_REGION_CODE(10);
    criteria.set_STS(2);
    found = find(criteria);
    ASSERT_EQ(found.count(), 2); // demo cards 13 and 17
    for (const auto& sim : found)
        EXPECT_EQ(sim.STS, 2);
}

TEST_P(SimInventory, RangesOfImsiAndIccidAreRangesAndAnEndTakesItsPrefix)
{
    SRemoteSimInfoList found = find(imsiRange("460001000000095", "4600010000001"));
    ASSERT_EQ(found.count(), 5) << "95–99: the region-10 cards end at 99";
    EXPECT_EQ(found[4].IMSI, "460001000000099");

    SRemoteSimQryIn byIccid;
    byIccid.set_START_SIM_ID("898610000000000009a");
    byIccid.set_END_SIM_ID("898610000000000009a");
    found = find(byIccid);
    ASSERT_EQ(found.count(), 1);
    EXPECT_EQ(found[0].SIM_ID, "898610000000000009A") << "ICCIDs compare without regard to case";

    byIccid.set_START_SIM_ID("8986100000000000001");
    byIccid.set_END_SIM_ID("8986100000000000001");
    found = find(byIccid);
    ASSERT_EQ(found.count(), 9) << "the 20-character ICCIDs of cards 10–18";
    EXPECT_EQ(found[0].IMSI, "460001000000010");
    EXPECT_EQ(found[8].SIM_ID, "89861000000000000018");
}

TEST_P(SimInventory, MaxNumLimitsTheAnswerAndZeroMeansTheDefaultCap)
{
    SRemoteSimQryIn criteria = imsiRange("460001000000000", "460003999999999");
    criteria.set_MAX_NUM(50);
    SRemoteSimInfoList found = find(criteria);
    ASSERT_EQ(found.count(), 50);
    EXPECT_EQ(found[49].IMSI, "460001000000049");

    ASSERT_EQ(write("RMOSMQ25", cards(0, 1200)), 0) << error.message;
    criteria.set_MAX_NUM(0);
    EXPECT_EQ(find(criteria).count(), 200) << "the criteria still apply";
    EXPECT_EQ(find(SRemoteSimQryIn()).count(), 1000) << "the default cap";
    SRemoteSimQryIn many;
    many.set_MAX_NUM(5000);
    EXPECT_EQ(find(many).count(), 1400);
}

TEST_P(SimInventory, ABatchWithOneBadCardIsRefusedWholeAndNamesIt)
{
    SRemoteSimInfoList batch = cards(0, 10000);
    batch[9998].set_IMSI("46000900009998");
    EXPECT_EQ(write("RMOSMQ25", batch), 1);
    EXPECT_EQ(error.minCode, rsim::kRefusedInvalid);
    EXPECT_EQ(error.message, "IMSI格式错误：必须为15位数字");
    EXPECT_EQ(error.hint, "第9999条记录 IMSI=46000900009998");
    EXPECT_EQ(storedTestCards(), 0);

    batch[9998] = card(9998);
    ASSERT_EQ(write("RMOSMQ25", batch), 0) << error.message << error.hint;
    EXPECT_EQ(storedTestCards(), 10000);
    EXPECT_EQ(auditKeys.size(), 10000U);
    EXPECT_EQ(auditKeys[9998], "IMSI=460009000009998");
}

TEST_P(SimInventory, DuplicateImsiOrIccidStoredOrInTheBatchIsRefused)
{
    ASSERT_EQ(write("RMOSMQ25", cards(0, 3)), 0) << error.message;
    EXPECT_EQ(write("RMOSMQ25", cards(2, 3)), 1);
    EXPECT_EQ(error.message, "SIM卡已存在");
    EXPECT_EQ(error.hint, "第1条记录 IMSI=460009000000002");

    SRemoteSimInfoList sameIccid = cards(10, 1);
    sameIccid[0].set_SIM_ID("89860090000000000001"); // card 1's
    EXPECT_EQ(write("RMOSMQ25", sameIccid), 1);
    EXPECT_EQ(error.message, "SIM_ID已被其他记录使用（IMSI=460009000000001）");

    SRemoteSimInfoList hexCase = cards(20, 2);
    hexCase[0].set_SIM_ID("898600900000000000aB");
    hexCase[1].set_SIM_ID("898600900000000000Ab");
    EXPECT_EQ(write("RMOSMQ25", hexCase), 1);
    EXPECT_EQ(error.message, "同一批数据中SIM_ID重复，与第1条记录相同");
    EXPECT_EQ(error.hint, "第2条记录 IMSI=460009000000021");
}

TEST_P(SimInventory, KiIsStoredEncryptedAndAnsweredDecryptedButNeverAudited)
{
    ASSERT_EQ(write("RMOSMQ25", cards(0, 2)), 0) << error.message;
    const auto stored = rows("SELECT KI_CODE, KI_KEY FROM rsim_sim WHERE IMSI = '460009000000000'");
    ASSERT_EQ(stored.size(), 1U);
    EXPECT_EQ(stored[0].rfind("v1:", 0), 0U);
    EXPECT_EQ(stored[0].find("0123456789ABCDEF"), std::string::npos);
    EXPECT_EQ(stored[0].find("KEY00001"), std::string::npos);
    for (const auto& key : auditKeys)
        EXPECT_EQ(key.find("0123456789"), std::string::npos);

    const SRemoteSimInfoList found = find(imsiRange("460009000000000", "460009000000000"));
    ASSERT_EQ(found.count(), 1);
    EXPECT_EQ(found[0].KI_CODE, "0123456789ABCDEF0123456789abcdef");
    EXPECT_EQ(found[0].KI_KEY, "KEY00001");

    SRemoteSimInfoList badPin = cards(5, 1);
    badPin[0].set_PIN1("12a4");
    EXPECT_EQ(write("RMOSMQ25", badPin), 1);
    EXPECT_EQ((error.message + error.hint).find("0123456789"), std::string::npos);
}

TEST_P(SimInventory, ModifyChangesOnlyTheSetMembersOfEachCard)
{
    ASSERT_EQ(write("RMOSMQ25", cards(0, 3)), 0) << error.message;
    SRemoteSimInfoList changes;
    SRemoteSimInfo remark;
    remark.set_IMSI("460009000000000");
    remark.set_REMARK("改过");
    changes.push_back(remark);
    SRemoteSimInfo ki;
    ki.set_IMSI("460009000000001");
    ki.set_KI_CODE("FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF");
    ki.set_STS(3);
    changes.push_back(ki);
    ASSERT_EQ(write("RMOSMQ26", changes), 0) << error.message;

    const SRemoteSimInfoList found = find(imsiRange("460009000000000", "460009000000002"));
    ASSERT_EQ(found.count(), 3);
    EXPECT_EQ(found[0].REMARK, "改过");
    EXPECT_EQ(found[0].KI_CODE, "0123456789ABCDEF0123456789abcdef");
    EXPECT_EQ(found[0].STS, 1);
    EXPECT_EQ(found[1].KI_CODE, "FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF");
    EXPECT_EQ(found[1].STS, 3);
    EXPECT_EQ(found[1].PIN2, "12345678");
    EXPECT_EQ(found[2].REMARK, "");

    SRemoteSimInfoList taken;
    SRemoteSimInfo iccid;
    iccid.set_IMSI("460009000000002");
    iccid.set_SIM_ID("89860090000000000000");
    taken.push_back(iccid);
    EXPECT_EQ(write("RMOSMQ26", taken), 1);
    EXPECT_EQ(error.minCode, rsim::kRefusedDuplicate);
    taken[0].set_IMSI("460009000000099");
    EXPECT_EQ(write("RMOSMQ26", taken), 1);
    EXPECT_EQ(error.minCode, rsim::kRefusedNotFound);
    EXPECT_EQ(error.message, "要修改的记录不存在");
}

TEST_P(SimInventory, DeleteTakesTheWholeListOrNothing)
{
    ASSERT_EQ(write("RMOSMQ25", cards(0, 600)), 0) << error.message;
    SRemoteSimInfoList doomed;
    for (int n = 0; n < 600; n += 2) {
        SRemoteSimInfo sim;
        sim.set_IMSI(card(n).IMSI);
        doomed.push_back(sim);
    }
    SRemoteSimInfo missing;
    missing.set_IMSI("460009000099999");
    doomed.push_back(missing);
    EXPECT_EQ(write("RMOSMQ27", doomed), 1);
    EXPECT_EQ(error.hint, "第301条记录 IMSI=460009000099999");
    EXPECT_EQ(storedTestCards(), 600);
    doomed.removeAt(300);
    ASSERT_EQ(write("RMOSMQ27", doomed), 0) << error.message;
    EXPECT_EQ(storedTestCards(), 300);
    EXPECT_EQ(find(imsiRange("460009000000000", "460009000000001"))[0].IMSI, "460009000000001");
}

TEST_P(SimInventory, ACardNeedsItsIccidAndWhatItCarriesMustBeWellFormed)
{
    SRemoteSimInfoList bare;
    bare.push_back(SRemoteSimInfo());
    bare[0].set_IMSI("460009000000001");
    EXPECT_EQ(write("RMOSMQ25", bare), 1);
    EXPECT_EQ(error.message, "缺少SIM_ID");
    bare[0].set_SIM_ID("");
    EXPECT_EQ(write("RMOSMQ25", bare), 1);
    EXPECT_EQ(error.message, "SIM_ID不能为空");
    bare[0].set_SIM_ID("89860090000000000001");
    ASSERT_EQ(write("RMOSMQ25", bare), 0) << error.message << error.hint;
    const SRemoteSimInfoList found = find(imsiRange("460009000000001", "460009000000001"));
    ASSERT_EQ(found.count(), 1);
    EXPECT_EQ(found[0].KI_CODE, "") << "an unset KI stays empty, not encrypted";
}

TEST_P(SimInventory, CardTypeAndVendorMustBeStored)
{
    SRemoteSimInfoList batch = cards(0, 3);
    batch[1].set_RES_CODE("X99");
    EXPECT_EQ(write("RMOSMQ25", batch), 1);
    EXPECT_EQ(error.minCode, rsim::kRefusedReference);
    EXPECT_EQ(error.message, "卡类型不存在：RES_CODE=X99");
    EXPECT_EQ(error.hint, "第2条记录 IMSI=460009000000001");
    batch[1].set_RES_CODE("C64");
    batch[2].set_VENDOR_CODE("V77");
    EXPECT_EQ(write("RMOSMQ25", batch), 1);
    EXPECT_EQ(error.message, "卡商不存在：VENDOR_CODE=V77");
}

INSTANTIATE_TEST_SUITE_P(Backends, SimInventory, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         backendName);

} // namespace
