// The service through the middleware, on SQLite and on PostgreSQL: the semantics of queries and
// writes, repeated writes, malformed requests.
#include "ResRemoteSimTables.h"
#include "raw_http.h"
#include "secrets.h"
#include "service_fixture.h"
#include "tvd_json_stream.h"
#include "tvd_member.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <future>

using namespace MResRemoteMgntDef;
using nlohmann::json;
using testsupport::Backend;

namespace {

class Service : public testsupport::ServiceTest {
protected:
    json raw(const std::string& path, const std::string& body, int& status)
    {
        rawhttp::Socket client(server_->port());
        client.send(rawhttp::post(path, body, "X-Tav-Session: " + tvd_processSession() + "\r\n"));
        const auto answer = client.read();
        status = answer.status;
        return answer.document();
    }

    static SResRemoteProvCodeList
    provinces(std::initializer_list<std::pair<const char*, const char*>> rows)
    {
        SResRemoteProvCodeList list;
        for (const auto& [code, name] : rows) {
            auto& p = *static_cast<SResRemoteProvCode*>(list.append());
            p.set_PROVINCE_CODE(code);
            p.set_PROVINCE_NAME(name);
        }
        return list;
    }

    SRemoteSimInfo card(int n)
    {
        char imsi[16], iccid[21];
        std::snprintf(imsi, sizeof imsi, "4600099%08d", n);
        std::snprintf(iccid, sizeof iccid, "89860099%012d", n);
        SRemoteSimInfo sim;
        sim.set_IMSI(imsi);
        sim.set_SIM_ID(iccid);
        sim.set_PIN1("1234");
        sim.set_PIN2("12345678");
        sim.set_PUK1("12345678");
        sim.set_PUK2("87654321");
        sim.set_KI_CODE("0123456789ABCDEF0123456789abcdef");
        sim.set_KI_KEY("KEY00001");
        sim.set_RES_CODE("C64");
        sim.set_VENDOR_CODE("V01");
        sim.set_SMSP("+8613800200500");
        sim.set_REGION_CODE(10);
        sim.set_COUNTY_CODE(1001);
        sim.set_ORG_ID(100101);
        sim.set_STS(1);
        return sim;
    }

    // Cards numbered first to first + count - 1.
    SRemoteSimInfoList cards(int first, int count)
    {
        SRemoteSimInfoList list;
        for (int i = 0; i < count; ++i)
            list.push_back(card(first + i));
        return list;
    }

    int countSims(const std::string& first, const std::string& last)
    {
        SRemoteSimQryIn criteria;
        criteria.set_START_IMSI(first);
        criteria.set_END_IMSI(last);
        criteria.set_MAX_NUM(100000);
        SRemoteSimInfoList found;
        CBSErrorMsg error;
        EXPECT_EQ(remote_.qry_simInfo(criteria, found, error, nullptr), 0) << error.message;
        return found.count();
    }
};

// Operators type codes in either case and Chinese names; % and _ are characters like the others.
TEST_P(Service, NameCriteriaIgnoreAsciiCaseAndMatchPercentAndUnderscoreLiterally)
{
    CBSErrorMsg error;
    ASSERT_EQ(remote_.add_provinceCode(info_,
                                       provinces({{"91", "Hebei_North"},
                                                  {"92", "HebeiXNorth"},
                                                  {"93", "折扣100%"},
                                                  {"94", "折扣1000"}}),
                                       error, nullptr),
              0)
        << error.message;
    auto named = [&](const char* typed) {
        SResRemoteProvCode criteria;
        criteria.set_PROVINCE_NAME(typed);
        SResRemoteProvCodeList found;
        EXPECT_EQ(remote_.qry_provinceCode(criteria, found, error, nullptr), 0) << error.message;
        std::vector<std::string> codes;
        for (int i = 0; i < found.count(); ++i)
            codes.push_back(found[i].PROVINCE_CODE);
        return codes;
    };
    using Codes = std::vector<std::string>;
    EXPECT_EQ(named("hebei_"), (Codes{"91"}));
    EXPECT_EQ(named("NORTH"), (Codes{"91", "92"}));
    EXPECT_EQ(named("0%"), (Codes{"93"}));
    EXPECT_EQ(named("扣1"), (Codes{"93", "94"}));
}

TEST_P(Service, SimQueryTakesRangesLimitsAndIgnoresMinusOneAndZero)
{
    SRemoteSimQryIn criteria;
    criteria.set_START_IMSI("460001000000010");
    criteria.set_END_IMSI("460001000000019");
    criteria.set_REGION_CODE(-1);
    criteria.set_COUNTY_CODE(0);
    criteria.set_ORG_ID(0);
    criteria.set_MAX_NUM(5);
    SRemoteSimInfoList found;
    CBSErrorMsg error;
    ASSERT_EQ(remote_.qry_simInfo(criteria, found, error, nullptr), 0);
    ASSERT_EQ(found.count(), 5);
    EXPECT_EQ(found[0].IMSI, "460001000000010");
    EXPECT_EQ(found[0].KI_CODE.size(), 32U);
    criteria.set_REGION_CODE(11);
    ASSERT_EQ(remote_.qry_simInfo(criteria, found, error, nullptr), 0);
    EXPECT_EQ(found.count(), 0);
}

TEST_P(Service, DuplicatesMissingKeysAndReferencesAreRefused)
{
    CBSErrorMsg error;
    EXPECT_NE(remote_.add_provinceCode(info_, provinces({{"44", "广东"}}), error, nullptr), 0);
    EXPECT_EQ(error.minCode, 2);
    EXPECT_EQ(error.hint, "第1条记录 PROVINCE_CODE=44");
    EXPECT_NE(remote_.add_provinceCode(info_, provinces({{"61", "陕西"}, {"61", "陕西"}}), error,
                                       nullptr),
              0);
    EXPECT_EQ(error.hint, "第2条记录 PROVINCE_CODE=61");
    EXPECT_NE(remote_.mod_provinceCode(info_, provinces({{"62", "甘肃"}}), error, nullptr), 0);
    EXPECT_EQ(error.minCode, 3);
    EXPECT_NE(remote_.del_provinceCode(info_, provinces({{"44", "广东"}}), error, nullptr), 0);
    EXPECT_EQ(error.minCode, 4) << error.message;
    SResRemoteProvCodeList noCode;
    static_cast<SResRemoteProvCode*>(noCode.append())->set_PROVINCE_NAME("无代码");
    EXPECT_NE(remote_.add_provinceCode(info_, noCode, error, nullptr), 0);
    EXPECT_EQ(error.message, "缺少关键字段PROVINCE_CODE");

    SResRemoteMsisdnGroupList groups;
    auto& g = *static_cast<SResRemoteMsisdnGroup*>(groups.append());
    g.set_MSISDN_GROUP("G99");
    g.set_PROVINCE_CODE("99");
    EXPECT_NE(remote_.add_msisdnGroup(info_, groups, error, nullptr), 0);
    EXPECT_EQ(error.minCode, 4);
    EXPECT_NE(error.message.find("PROVINCE_CODE"), std::string::npos);

    // A group that a range still names cannot go, and the message says which range.
    g.set_MSISDN_GROUP("G01");
    g.set_PROVINCE_CODE("44");
    EXPECT_NE(remote_.del_msisdnGroup(info_, groups, error, nullptr), 0);
    EXPECT_EQ(error.minCode, 4);
    EXPECT_NE(error.message.find("引用（FIRST_"), std::string::npos) << error.message;
}

TEST_P(Service, AKeyOfSeveralMembersRefusesOnlyADuplicateOfTheWholeKey)
{
    auto dlls = [](std::initializer_list<std::array<const char*, 4>> rows) {
        SResRemoteCardVendorDllList list;
        for (const auto& [province, vendor, card, file] : rows) {
            auto& d = *static_cast<SResRemoteCardVendorDll*>(list.append());
            d.set_PROVINCE_CODE(province);
            d.set_VENDOR_CODE(vendor);
            d.set_CARD_TYPE(card);
            d.set_DLL_NAME(file);
        }
        return list;
    };
    auto stored = [&] {
        SResRemoteCardVendorDllList found;
        CBSErrorMsg error;
        EXPECT_EQ(remote_.qry_cardVendorDll(SResRemoteCardVendorDll(), found, error, nullptr), 0);
        return found.count();
    };
    const int before = stored();
    CBSErrorMsg error;
    EXPECT_NE(remote_.add_cardVendorDll(info_, dlls({{"44", "V01", "C64", "hnsc_w64.dll"}}), error,
                                        nullptr),
              0);
    EXPECT_EQ(error.minCode, 2);
    EXPECT_EQ(error.hint,
              "第1条记录 PROVINCE_CODE=44,VENDOR_CODE=V01,CARD_TYPE=C64,DLL_NAME=hnsc_w64.dll");

    EXPECT_NE(remote_.add_cardVendorDll(info_,
                                        dlls({{"11", "V03", "D128", "new.dll"},
                                              {"31", "V03", "D128", "new.dll"},
                                              {"11", "V03", "D128", "new.dll"}}),
                                        error, nullptr),
              0);
    EXPECT_EQ(error.minCode, 2);
    EXPECT_EQ(error.hint,
              "第3条记录 PROVINCE_CODE=11,VENDOR_CODE=V03,CARD_TYPE=D128,DLL_NAME=new.dll");
    EXPECT_EQ(stored(), before) << "a refused batch stores nothing";

    // Each differs from the stored 44/V01/C64/hnsc_w64.dll, and from the others, in one member.
    ASSERT_EQ(remote_.add_cardVendorDll(info_,
                                        dlls({{"11", "V01", "C64", "hnsc_w64.dll"},
                                              {"44", "V03", "C64", "hnsc_w64.dll"},
                                              {"44", "V01", "D128", "hnsc_w64.dll"},
                                              {"44", "V01", "C64", "hnsc_w64b.dll"}}),
                                        error, nullptr),
              0)
        << error.message << " " << error.hint;
    EXPECT_EQ(stored(), before + 4);
}

TEST_P(Service, RangesMustBeOrderedOfEqualLengthAndNotOverlap)
{
    auto range = [](const char* first, const char* last) {
        SResRemoteImsiMsisdnGrpList list;
        auto& r = *static_cast<SResRemoteImsiMsisdnGrp*>(list.append());
        r.set_MSISDN_GROUP("G01");
        r.set_FIRST_IMSI(first);
        r.set_LAST_IMSI(last);
        r.set_PROVINCE_CODE("44");
        return list;
    };
    CBSErrorMsg error;
    EXPECT_NE(remote_.add_imsiMsisdnGrp(info_, range("460009000000009", "460009000000001"), error,
                                        nullptr),
              0);
    EXPECT_EQ(error.message, "号段起始值大于结束值");
    SResRemoteMsisdnGrpList numbers;
    auto& n = *static_cast<SResRemoteMsisdnGrp*>(numbers.append());
    n.set_MSISDN_GROUP("G01");
    n.set_FIRST_MSISDN("1390900000");
    n.set_LAST_MSISDN("13909000001");
    EXPECT_NE(remote_.add_msisdnGrp(info_, numbers, error, nullptr), 0);
    EXPECT_EQ(error.message, "号段起止长度不一致");
    n.set_FIRST_MSISDN("1390900000000000");
    n.set_LAST_MSISDN("1390900000000001");
    EXPECT_NE(remote_.add_msisdnGrp(info_, numbers, error, nullptr), 0);
    EXPECT_NE(error.message.find("必须为1到15位数字"), std::string::npos) << error.message;
    EXPECT_NE(remote_.add_imsiMsisdnGrp(info_, range("460001500000000", "460001600000000"), error,
                                        nullptr),
              0);
    EXPECT_EQ(error.minCode, 5);
    EXPECT_EQ(error.message, "号段与已有号段重叠：460001000000000-460001999999999");
    EXPECT_EQ(error.hint, "第1条记录 FIRST_IMSI=460001500000000");
    // Ending where a stored range starts is an overlap too.
    EXPECT_NE(remote_.add_imsiMsisdnGrp(info_, range("460000900000000", "460001000000000"), error,
                                        nullptr),
              0);
    EXPECT_EQ(error.message, "号段与已有号段重叠：460001000000000-460001999999999");
    auto unknown = range("460009100000000", "460009100000999");
    unknown[0].set_MSISDN_GROUP("G99");
    EXPECT_NE(remote_.add_imsiMsisdnGrp(info_, unknown, error, nullptr), 0);
    EXPECT_EQ(error.message, "引用的MSISDN_GROUP不存在：G99");
    // Ranges of one batch must not overlap each other either.
    auto two = range("460009000000000", "460009000000999");
    two.push_back(two[0]);
    two[1].set_FIRST_IMSI("460009000000999");
    two[1].set_LAST_IMSI("460009000001999");
    EXPECT_NE(remote_.add_imsiMsisdnGrp(info_, two, error, nullptr), 0);
    EXPECT_EQ(error.minCode, 5);
    EXPECT_EQ(error.message, "号段与同一批数据中的号段重叠：460009000000000-460009000000999");
    EXPECT_EQ(error.hint, "第2条记录 FIRST_IMSI=460009000000999");
    two[1].set_FIRST_IMSI("460009000001000");
    two.push_back(two[0]); // a range of one number
    two[2].set_FIRST_IMSI("460009000002000");
    two[2].set_LAST_IMSI("460009000002000");
    EXPECT_EQ(remote_.add_imsiMsisdnGrp(info_, two, error, nullptr), 0)
        << error.message << error.hint;
}

// SIM numbers of 19 and 20 characters in one range are ordered as numbers, not as text.
TEST_P(Service, SimNumberRangesOfMixedLengthsCompareAsNumbers)
{
    const char* numbers[] = {"8999999999999999999", "9000000000000000005", "10000000000000000005",
                             "19999999999999999999", "20000000000000000001"};
    SRemoteSimInfoList batch;
    for (int i = 0; i < 5; ++i) {
        batch.push_back(card(8000 + i));
        batch[i].set_SIM_ID(numbers[i]);
    }
    CBSErrorMsg error;
    ASSERT_EQ(remote_.add_simInfo(info_, batch, error, nullptr), 0) << error.message << error.hint;
    auto simIds = [&](const std::string& first, const std::string& last) {
        SRemoteSimQryIn criteria;
        criteria.set_START_IMSI("460009900008000");
        criteria.set_END_IMSI("460009900008999");
        criteria.set_START_SIM_ID(first);
        criteria.set_END_SIM_ID(last);
        SRemoteSimInfoList found;
        EXPECT_EQ(remote_.qry_simInfo(criteria, found, error, nullptr), 0) << error.message;
        std::vector<std::string> ids;
        for (const auto& sim : found)
            ids.push_back(sim.SIM_ID);
        std::sort(ids.begin(), ids.end());
        return ids;
    };
    using Ids = std::vector<std::string>;
    EXPECT_EQ(simIds("9000000000000000000", "20000000000000000000"),
              (Ids{"10000000000000000005", "19999999999999999999", "9000000000000000005"}));
    EXPECT_EQ(simIds("8999999999999999999", "10000000000000000005"),
              (Ids{"10000000000000000005", "8999999999999999999", "9000000000000000005"}));
    EXPECT_EQ(simIds("9000000000000000006", "9999999999999999999"), Ids{});
    // A bound that is not a SIM number is refused, not compared after padding.
    for (const auto& [first, last, message] : std::vector<std::array<std::string, 3>>{
             {"19999999999999999999", "100000000000000000000", "END_SIM_ID"},
             {"'; DROP TABLE rsim_sim; --", "19999999999999999999", "START_SIM_ID"},
             {"898600990000000001", "19999999999999999999", "START_SIM_ID"},
             {"8999999999999999999", "89860099000000000f1", "END_SIM_ID"}}) {
        SRemoteSimQryIn criteria;
        criteria.set_START_SIM_ID(first);
        criteria.set_END_SIM_ID(last);
        SRemoteSimInfoList found;
        EXPECT_NE(remote_.qry_simInfo(criteria, found, error, nullptr), 0) << first << last;
        EXPECT_EQ(error.message, message + "格式错误：必须为19或20位数字或大写字母A-F");
        EXPECT_EQ(found.count(), 0);
    }
    EXPECT_EQ(simIds("19999999999999999999", "99999999999999999999"),
              (Ids{"19999999999999999999", "20000000000000000001"}));
}

// Ranges of different lengths never overlap, though as text they would.
TEST_P(Service, NumberRangesOfDifferentLengthsDoNotOverlap)
{
    auto range = [](const char* first, const char* last) {
        SResRemoteMsisdnGrpList list;
        auto& r = *static_cast<SResRemoteMsisdnGrp*>(list.append());
        r.set_MSISDN_GROUP("G01");
        r.set_FIRST_MSISDN(first);
        r.set_LAST_MSISDN(last);
        r.set_PROVINCE_CODE("44");
        return list;
    };
    CBSErrorMsg error;
    // The stored 13801000000-13801999999 lies between these as text.
    EXPECT_EQ(remote_.add_msisdnGrp(info_, range("1380100000", "1380299999"), error, nullptr), 0)
        << error.message << error.hint;
    EXPECT_EQ(remote_.add_msisdnGrp(info_, range("138015", "138030"), error, nullptr), 0)
        << error.message << error.hint;
    EXPECT_NE(remote_.add_msisdnGrp(info_, range("13801500000", "13801600000"), error, nullptr), 0);
    EXPECT_EQ(error.message, "号段与已有号段重叠：13801000000-13801999999");
    EXPECT_NE(remote_.add_msisdnGrp(info_, range("1380150000", "1380150001"), error, nullptr), 0);
    EXPECT_EQ(error.message, "号段与已有号段重叠：1380100000-1380299999");
}

// A batch this large travels in pieces as it is written; a bad text found after the first pieces
// left aborts the request, so the service stores nothing and the binding serves the next call.
TEST_P(Service, ALargeBatchWithTextThatIsNotUtf8IsThrownAndStoresNothing)
{
    SRemoteSimInfoList batch = cards(20000, 6000);
    batch[5000].set_REMARK("bad \xFF byte");
    CBSErrorMsg error;
    EXPECT_THROW(remote_.add_simInfo(info_, batch, error, nullptr), nlohmann::json::type_error);
    EXPECT_EQ(countSims("460009900020000", "460009900025999"), 0);
    batch[5000].set_REMARK("备注");
    ASSERT_EQ(remote_.add_simInfo(info_, batch, error, nullptr), 0) << error.message << error.hint;
    EXPECT_EQ(countSims("460009900020000", "460009900025999"), 6000);
}

// The service reads, checks and stores a large batch a chunk of records at a time, in one
// transaction: a fault in any chunk names its record by its place in the whole batch, a
// duplicate of a record of an earlier chunk is one of the batch, and nothing is stored.
TEST_P(Service, ABatchReadInChunksIsRefusedAtItsFaultWhereverItLiesAndStoresNothing)
{
    SRemoteSimInfoList stored = cards(90000, 1);
    CBSErrorMsg error;
    ASSERT_EQ(remote_.add_simInfo(info_, stored, error, nullptr), 0) << error.message;

    SRemoteSimInfoList batch = cards(40000, 12000);
    const auto refusal = [&](const std::function<void(SRemoteSimInfoList&)>& spoil) {
        SRemoteSimInfoList spoilt = batch;
        spoil(spoilt);
        CBSErrorMsg refused;
        EXPECT_NE(remote_.add_simInfo(info_, spoilt, refused, nullptr), 0);
        EXPECT_EQ(countSims("460009900040000", "460009900051999"), 0) << refused.hint;
        return refused.message + " / " + refused.hint;
    };
    EXPECT_EQ(refusal([](auto& b) { b[11000] = b[100]; }),
              "同一批数据中重复：IMSI / 第11001条记录 IMSI=460009900040100");
    EXPECT_EQ(refusal([](auto& b) { b[9000].set_SIM_ID(b[2].SIM_ID); }),
              "同一批数据中重复：SIM_ID / 第9001条记录 IMSI=460009900049000");
    EXPECT_EQ(refusal([&](auto& b) { b[7500] = card(90000); }),
              "IMSI已存在 / 第7501条记录 IMSI=460009900090000");
    EXPECT_EQ(refusal([](auto& b) { b[10500].set_PIN1("12"); }),
              "PIN1格式错误：必须为4到8位数字 / 第10501条记录 IMSI=460009900050500");

    // A value of the wrong type late in the batch: refused as a bad request, after the chunks
    // before it were stored in the transaction, which is rolled back.
    SRemoteSimInfoList typed = batch;
    typed[10000].set_REMARK("坏");
    std::string body =
        R"({"in":)" +
        tvd::wire::ParamsWriter(
            MResRemoteMgntApp::IResRemoteMgnt::CParamIn4add_simInfo(info_, typed, nullptr))
            .all() +
        "}";
    body.replace(body.find(R"("REMARK":"坏")"), std::string(R"("REMARK":"坏")").size(),
                 R"("REMARK":5)");
    int status = 0;
    const json answer = raw("/v1/call/MResRemoteMgntApp_IResRemoteMgnt/RMOSMQ25", body, status);
    EXPECT_EQ(status, 400);
    EXPECT_NE(answer["error"]["hint"].get<std::string>().find("in.listRemoteSimInfo[10000].REMARK"),
              std::string::npos)
        << answer.dump();
    EXPECT_EQ(countSims("460009900040000", "460009900051999"), 0);

    ASSERT_EQ(remote_.add_simInfo(info_, batch, error, nullptr), 0) << error.message << error.hint;
    EXPECT_EQ(countSims("460009900040000", "460009900051999"), 12000);
    EXPECT_EQ(count("SELECT COUNT(*) FROM sys_audit WHERE CODE = 'RMOSMQ25' AND OP_ID = 1"), 12001);
}

// A long answer is written as its rows are read; its records, limit and read audit are those of
// the rows.
TEST_P(Service, ALongAnswerKeepsItsLimitItsRecordsAndItsAudit)
{
    SRemoteSimInfoList batch = cards(60000, 2600);
    CBSErrorMsg error;
    ASSERT_EQ(remote_.add_simInfo(info_, batch, error, nullptr), 0) << error.message;
    SRemoteSimQryIn criteria;
    criteria.set_START_IMSI("460009900060000");
    criteria.set_END_IMSI("460009900069999");
    criteria.set_MAX_NUM(2345);
    SRemoteSimInfoList found;
    ASSERT_EQ(remote_.qry_simInfo(criteria, found, error, nullptr), 0) << error.message;
    ASSERT_EQ(found.count(), 2345);
    for (int i : {0, 999, 1000, 2344}) {
        SCOPED_TRACE(i);
        const SRemoteSimInfo& expected = batch[static_cast<std::size_t>(i)];
        EXPECT_EQ(found[static_cast<std::size_t>(i)].IMSI, expected.IMSI);
        EXPECT_EQ(found[static_cast<std::size_t>(i)].SIM_ID, expected.SIM_ID);
        EXPECT_EQ(found[static_cast<std::size_t>(i)].KI_CODE, expected.KI_CODE);
    }
    // One row for the answer, naming its cards as a range.
    EXPECT_EQ(audited("SELECT COUNT(*) FROM sys_access_audit WHERE EVENT = 'read' AND OP_ID = 1 "
                      "AND OPERATION LIKE '%RMOSMQ28%' AND RECORD_KEYS = ?",
                      {std::string("rsim_sim IMSI=460009900060000..460009900062344")}),
              1);
    criteria.set_MAX_NUM(100000);
    ASSERT_EQ(remote_.qry_simInfo(criteria, found, error, nullptr), 0) << error.message;
    EXPECT_EQ(found.count(), 2600);
}

TEST_P(Service, CardFormatsAreCheckedAtTheirEdges)
{
    struct Case {
        int member;
        const char* value;
        bool accepted;
    };
    const Case cases[] = {
        {SRemoteSimInfo::idx_SIM_ID, "8986009900000000001", true},
        {SRemoteSimInfo::idx_SIM_ID, "898600990000000001F", true},
        {SRemoteSimInfo::idx_SIM_ID, "898600990000000001f", false},
        {SRemoteSimInfo::idx_SIM_ID, "898600990000000001", false},
        {SRemoteSimInfo::idx_SIM_ID, "898600990000000000123", false},
        {SRemoteSimInfo::idx_KI_CODE, "0123456789ABCDEF0123456789ABCDE", false},
        {SRemoteSimInfo::idx_KI_CODE, "0123456789ABCDEF0123456789ABCDEG", false},
        {SRemoteSimInfo::idx_KI_CODE, "0123456789ABCDEF0123456789ABCDEF0", false},
        {SRemoteSimInfo::idx_PIN1, "123", false},
        {SRemoteSimInfo::idx_PIN1, "123456789", false},
        {SRemoteSimInfo::idx_PUK1, "1234567", false},
        {SRemoteSimInfo::idx_SMSP, "+861380020050012345678", false},
        {SRemoteSimInfo::idx_SMSP, "+86138002005001234567", true},
    };
    int n = 5000;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        SRemoteSimInfo sim = card(n++);
        *std::get<std::string*>(tvd_member(sim, c.member)) = c.value;
        SRemoteSimInfoList one;
        one.push_back(sim);
        CBSErrorMsg error;
        EXPECT_EQ(remote_.add_simInfo(info_, one, error, nullptr) == 0, c.accepted)
            << error.message;
    }
}

TEST_P(Service, ModifyChangesOnlySetMembersAndKiIsNotStoredPlain)
{
    SRemoteSimInfoList one = cards(7000, 1);
    CBSErrorMsg error;
    ASSERT_EQ(remote_.add_simInfo(info_, one, error, nullptr), 0) << error.message;
    SRemoteSimInfoList change;
    auto& c = *static_cast<SRemoteSimInfo*>(change.append());
    c.set_IMSI(one[0].IMSI);
    c.set_REMARK("改过");
    ASSERT_EQ(remote_.mod_simInfo(info_, change, error, nullptr), 0) << error.message;
    SRemoteSimQryIn criteria;
    criteria.set_START_IMSI(one[0].IMSI);
    criteria.set_END_IMSI(one[0].IMSI);
    SRemoteSimInfoList found;
    ASSERT_EQ(remote_.qry_simInfo(criteria, found, error, nullptr), 0);
    ASSERT_EQ(found.count(), 1);
    EXPECT_EQ(found[0].REMARK, "改过");
    EXPECT_EQ(found[0].PIN2, "12345678");
    EXPECT_EQ(found[0].KI_CODE, "0123456789ABCDEF0123456789abcdef");
    EXPECT_EQ(found[0].KI_KEY, "KEY00001");

    auto db = database();
    const std::string stored =
        rsim::db::asText(db->scalar("SELECT KI_CODE FROM rsim_sim WHERE IMSI = ?", {one[0].IMSI}));
    EXPECT_EQ(stored.rfind("s1:", 0), 0U);
    EXPECT_EQ(stored.find("0123456789ABCDEF"), std::string::npos);
    std::string audit;
    db->query("SELECT RECORD_KEY FROM sys_audit", {},
              [&](const rsim::db::Row& row) { audit += rsim::db::asText(row[0]); });
    EXPECT_NE(audit.find(one[0].IMSI), std::string::npos);
    EXPECT_EQ(audit.find("0123456789ABCDEF"), std::string::npos);
}

// A duplicate only the database's unique index would catch is named as every duplicate is, with
// nothing of the database's own text.
TEST_P(Service, AModifyGivingACardAnotherCardsSimNumberIsRefusedByName)
{
    SRemoteSimInfoList two = cards(7100, 2);
    CBSErrorMsg error;
    ASSERT_EQ(remote_.add_simInfo(info_, two, error, nullptr), 0) << error.message;
    SRemoteSimInfoList change;
    auto& c = *static_cast<SRemoteSimInfo*>(change.append());
    c.set_IMSI(two[1].IMSI);
    c.set_SIM_ID(two[0].SIM_ID);
    EXPECT_NE(remote_.mod_simInfo(info_, change, error, nullptr), 0);
    EXPECT_EQ(error.minCode, 2);
    EXPECT_EQ(error.message, "SIM_ID已存在");
    EXPECT_EQ(error.hint, "第1条记录 IMSI=" + two[1].IMSI);
    EXPECT_EQ(count("SELECT COUNT(*) FROM rsim_sim WHERE SIM_ID = ?", {two[1].SIM_ID}), 1);
    // Its own number, set again, is no duplicate.
    c.set_SIM_ID(two[1].SIM_ID);
    EXPECT_EQ(remote_.mod_simInfo(info_, change, error, nullptr), 0) << error.message << error.hint;
}

// A writer whose checks ran before another writer stored the same IMSI loses the race at the
// unique index; its answer names the IMSI as the checks would have, not the driver's text.
TEST_P(Service, AWriterThatLosesARaceForAnImsiIsToldWhichCard)
{
    if (GetParam() != Backend::Postgres)
        GTEST_SKIP() << "SQLite admits one writer at a time: its checks and insert cannot "
                        "interleave with another's";
    SRemoteSimInfoList batch = cards(7200, 2);
    auto rival = database();
    rival->begin();
    rival->exec("INSERT INTO rsim_sim (IMSI, SIM_ID) VALUES (?, ?)",
                {batch[1].IMSI, "89860099999999999999"});
    const rsim::db::Value rivalPid = rival->scalar("SELECT pg_backend_pid()");
    CBSErrorMsg error;
    auto writer = std::async(std::launch::async,
                             [&] { return remote_.add_simInfo(info_, batch, error, nullptr); });
    // The writer's insert waits for the rival's row; then the rival commits.
    while (count("SELECT COUNT(*) FROM pg_stat_activity WHERE ? = ANY(pg_blocking_pids(pid))",
                 {rivalPid}) == 0)
        ASSERT_NE(writer.wait_for(std::chrono::milliseconds(10)), std::future_status::ready)
            << "the writer finished without waiting for the rival: " << error.message << error.hint;
    rival->commit();
    EXPECT_NE(writer.get(), 0);
    EXPECT_EQ(error.minCode, 2);
    EXPECT_EQ(error.message, "IMSI已存在");
    EXPECT_EQ(error.hint, "第2条记录 IMSI=" + batch[1].IMSI);
    EXPECT_EQ(count("SELECT COUNT(*) FROM rsim_sim WHERE IMSI = ?", {batch[0].IMSI}), 0);
}

TEST_P(Service, AWriteSentAgainWithItsRequestIdIsAnsweredAsTheFirstAndAppliedOnce)
{
    const auto send = [&](const std::string& in, const std::string& id) {
        rawhttp::Socket client(server_->port());
        client.send(rawhttp::post("/v1/call/MResRemoteMgntApp_IResRemoteMgnt/RMOSMQ01", in,
                                  "X-Tav-Session: " + tvd_processSession() +
                                      "\r\nX-Tav-Request-Id: " + id + "\r\n"));
        const auto answer = client.read();
        return std::to_string(answer.status) + " " + answer.body;
    };
    const auto adding = [&](std::initializer_list<std::pair<const char*, const char*>> rows) {
        using In = MResRemoteMgntApp::IResRemoteMgnt::CParamIn4add_provinceCode;
        return R"({"in":)" + tvd::wire::ParamsWriter(In(info_, provinces(rows), nullptr)).all() +
               "}";
    };
    const char* stored =
        "SELECT COUNT(*) FROM sys_audit WHERE CODE = 'RMOSMQ01' AND RECORD_KEY LIKE ?";
    const std::string first = send(adding({{"81", "一"}}), "write-1");
    EXPECT_EQ(first.rfind("200 ", 0), 0U) << first;
    EXPECT_EQ(send(adding({{"81", "一"}}), "write-1"), first);
    EXPECT_EQ(count(stored, {std::string("%PROVINCE_CODE=81")}), 1);
    EXPECT_NE(send(adding({{"81", "一"}}), "write-2").find("PROVINCE_CODE=81"), std::string::npos)
        << "a new id is a new write";
    EXPECT_EQ(send(adding({{"83", "三"}}), "bad id!").rfind("400 ", 0), 0U);

    SResRemoteProvCodeList list;
    for (int i = 0; i < 3000; ++i) {
        auto& p = *static_cast<SResRemoteProvCode*>(list.append());
        p.set_PROVINCE_CODE("P" + std::to_string(i));
        p.set_PROVINCE_NAME("并发");
    }
    using In = MResRemoteMgntApp::IResRemoteMgnt::CParamIn4add_provinceCode;
    const std::string batch =
        R"({"in":)" + tvd::wire::ParamsWriter(In(info_, list, nullptr)).all() + "}";
    auto together = std::async(std::launch::async, [&] { return send(batch, "write-3"); });
    const std::string alone = send(batch, "write-3");
    EXPECT_EQ(together.get(), alone);
    EXPECT_EQ(count("SELECT COUNT(*) FROM rsim_province WHERE PROVINCE_NAME = '并发'"), 3000);

    ASSERT_EQ(login("viewer", "viewer123"), 0) << error_.message;
    database()->exec("INSERT INTO sys_oper_right (OP_ID, ENT_ID, PRIV_ID) VALUES (2, 53701, 10)");
    const std::string another = send(adding({{"82", "二"}}), "write-1");
    EXPECT_EQ(another.rfind("200 ", 0), 0U) << another;
    EXPECT_EQ(count(stored, {std::string("%PROVINCE_CODE=82")}), 1);
}

// A SIGTERM while a large write runs lets the write finish: its cards are stored, its answer
// reaches the client, and rsimd ends cleanly.
TEST_P(Service, ASigtermDuringALargeWriteStillStoresAndAnswersIt)
{
    const auto writeRunning = [&] {
        rawhttp::Socket scrape(server_->port());
        scrape.send(rawhttp::get("/metrics"));
        const std::string text = scrape.read().body;
        const std::string gauge = "rsimd_database_connections{state=\"in_use\"} ";
        const std::size_t at = text.find(gauge);
        return at != std::string::npos && std::atof(text.c_str() + at + gauge.size()) > 0;
    };
    const SRemoteSimInfoList batch = cards(200000, 100000);
    CBSErrorMsg error;
    auto writing = std::async(std::launch::async,
                              [&] { return remote_.add_simInfo(info_, batch, error, nullptr); });
    while (!writeRunning())
        ASSERT_EQ(writing.wait_for(std::chrono::milliseconds(20)), std::future_status::timeout)
            << "the write ended before the signal: " << error.message;
    EXPECT_EQ(server_->stop(), 0);
    EXPECT_EQ(writing.get(), 0) << error.message << error.hint;
    EXPECT_EQ(count("SELECT COUNT(*) FROM rsim_sim WHERE IMSI BETWEEN ? AND ?",
                    {std::string("460009900200000"), std::string("460009900299999")}),
              100000);
}

TEST(ServiceSetting, MaxRowsCapsEveryQueryWhateverMaxNumAsks)
{
    testsupport::RsimdProcess server(Backend::Sqlite, 2, {"--max-rows", "50"});
    setenv("TAV_BROKER_TAVORINE", server.address().c_str(), 1);
    MSysmgntDef::SOperator op;
    CBSErrorMsg error;
    ASSERT_EQ(tvd_login("TAVORINE", "admin", "admin123", op, error), 0) << error.message;
    MResRemoteMgntApp::IResRemoteMgnt remote;
    ASSERT_EQ(remote.bind(server.address()), 0);
    for (int asked : {-1, 0, 2147483647, 51}) {
        SRemoteSimQryIn criteria;
        criteria.set_MAX_NUM(asked);
        SRemoteSimInfoList found;
        ASSERT_EQ(remote.qry_simInfo(criteria, found, error, nullptr), 0) << error.message;
        EXPECT_EQ(found.count(), 50) << "MAX_NUM " << asked;
    }
}

RSIM_ON_EVERY_BACKEND(Service);

TEST(Startup, BadOptionsPortInUseAndBadDatabasesGiveClearErrors)
{
    std::string errors;
    EXPECT_EQ(testsupport::runRsimd("--bogus", errors), 2);
    EXPECT_NE(errors.find("unknown option '--bogus'"), std::string::npos);
    EXPECT_EQ(testsupport::runRsimd("--db mysql://x --key-file /tmp/k", errors), 2);
    EXPECT_NE(errors.find("unsupported database address"), std::string::npos);
    EXPECT_EQ(testsupport::runRsimd("--db sqlite:/proc/nowhere/rsim.db", errors), 2);
    EXPECT_NE(errors.find("/proc/nowhere/rsim.db"), std::string::npos);
    EXPECT_EQ(testsupport::runRsimd("--listen 0.0.0.0:0 --db sqlite:/proc/nowhere/rsim.db", errors),
              2);
    EXPECT_NE(errors.find("--listen 0.0.0.0:0 would serve plain HTTP"), std::string::npos);
    EXPECT_EQ(errors.find("/proc/nowhere"), std::string::npos) << "refused before the database";
    EXPECT_EQ(testsupport::runRsimd(
                  "--listen 0.0.0.0:0 --insecure-http --db sqlite:/proc/nowhere/rsim.db", errors),
              2);
    EXPECT_NE(errors.find("warning: --insecure-http"), std::string::npos);
    testsupport::RsimdProcess running;
    const std::string port = running.address().substr(running.address().rfind(':') + 1);
    char folder[] = "/tmp/rsimd-port.XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    EXPECT_EQ(testsupport::runRsimd(std::string("--db sqlite:") + folder +
                                        "/r.db --listen 127.0.0.1:" + port,
                                    errors),
              2);
    EXPECT_NE(errors.find("cannot listen on 127.0.0.1:" + port), std::string::npos);
}

TEST(Startup, HelpNamesEveryOptionWithItsDefaultAndExitsZero)
{
    std::string text;
    EXPECT_EQ(testsupport::runRsimd("--help --bogus", text, testsupport::Streams::Both), 0) << text;
    for (const char* option : {"--db", "--listen", "--key-file", "--tls-cert", "--threads",
                               "--max-rows", "--max-body", "--request-timeout", "--idle-timeout",
                               "--seed", "--insecure-http", "--metrics-allow", "--no-metrics"})
        EXPECT_NE(text.find(std::string("  ") + option), std::string::npos) << option;
    EXPECT_NE(
        text.find(
            "--threads N              workers that run calls, and as many database connections (8"),
        std::string::npos);
}

} // namespace
