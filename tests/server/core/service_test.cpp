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
#include <set>

using namespace MResRemoteMgntDef;
using Remote = MResRemoteMgntApp::IResRemoteMgnt;
using testsupport::Backend;
using testsupport::card;

namespace {

class Service : public testsupport::ServiceTest {
protected:
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

    // Cards numbered first to first + count - 1.
    SRemoteSimInfoList cards(int first, int count)
    {
        SRemoteSimInfoList list;
        for (int i = 0; i < count; ++i)
            list.push_back(card(first + i));
        return list;
    }

    // What a write of the list answers: "" when it is stored, else "minCode message / hint".
    template <class List>
    std::string refusal(int (Remote::*write)(const MResRemoteMgntApp::SOpInfo&, const List&,
                                             CBSErrorMsg&, STVSession*),
                        const List& list)
    {
        CBSErrorMsg error;
        if ((remote_.*write)(info_, list, error, nullptr) == 0)
            return "";
        return std::to_string(error.minCode) + " " + error.message + " / " + error.hint;
    }

    // A list of one record, its members set by fill.
    template <class List, class Fill>
    static List one(Fill fill)
    {
        List list;
        fill(*static_cast<typename List::value_type*>(list.append()));
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
    ASSERT_EQ(remote_.add_provinceCode(info_,
                                       provinces({{"91", "Hebei_North"},
                                                  {"92", "HebeiXNorth"},
                                                  {"93", "折扣100%"},
                                                  {"94", "折扣1000"}}),
                                       error_, nullptr),
              0)
        << error_.message;
    using Codes = std::vector<std::string>;
    for (const auto& [typed, codes] : std::vector<std::pair<const char*, Codes>>{
             {"hebei_", {"91"}}, {"NORTH", {"91", "92"}}, {"0%", {"93"}}, {"扣1", {"93", "94"}}}) {
        SResRemoteProvCode criteria;
        criteria.set_PROVINCE_NAME(typed);
        SResRemoteProvCodeList found;
        ASSERT_EQ(remote_.qry_provinceCode(criteria, found, error_, nullptr), 0) << error_.message;
        Codes answered;
        for (const auto& province : found)
            answered.push_back(province.PROVINCE_CODE);
        EXPECT_EQ(answered, codes) << typed;
    }
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
    const auto group = [](const char* name, const char* province) {
        return one<SResRemoteMsisdnGroupList>([&](auto& g) {
            g.set_MSISDN_GROUP(name);
            g.set_PROVINCE_CODE(province);
        });
    };
    EXPECT_EQ(refusal(&Remote::add_provinceCode, provinces({{"44", "广东"}})),
              "2 PROVINCE_CODE已存在 / 第1条记录 PROVINCE_CODE=44");
    EXPECT_EQ(refusal(&Remote::add_provinceCode, provinces({{"61", "陕西"}, {"61", "陕西"}})),
              "2 同一批数据中重复：PROVINCE_CODE / 第2条记录 PROVINCE_CODE=61");
    EXPECT_EQ(refusal(&Remote::mod_provinceCode, provinces({{"62", "甘肃"}})),
              "3 要修改的记录不存在 / 第1条记录 PROVINCE_CODE=62");
    EXPECT_EQ(refusal(&Remote::del_provinceCode, provinces({{"44", "广东"}})),
              "4 记录仍被rsim_msisdn_group引用（MSISDN_GROUP=G01），不能删除 / 第1条记录 "
              "PROVINCE_CODE=44");
    EXPECT_EQ(refusal(&Remote::add_provinceCode,
                      one<SResRemoteProvCodeList>([](auto& p) { p.set_PROVINCE_NAME("无代码"); })),
              "1 缺少关键字段PROVINCE_CODE / 第1条记录 PROVINCE_CODE=");
    EXPECT_EQ(refusal(&Remote::add_msisdnGroup, group("G99", "99")),
              "4 引用的PROVINCE_CODE不存在：99 / 第1条记录 MSISDN_GROUP=G99");
    // A group that a range still names cannot go, and the message says which range.
    EXPECT_EQ(refusal(&Remote::del_msisdnGroup, group("G01", "44")),
              "4 记录仍被rsim_imsi_range引用（FIRST_IMSI=460001000000000），不能删除 / 第1条记录 "
              "MSISDN_GROUP=G01");
}

TEST_P(Service, AKeyOfSeveralMembersRefusesOnlyADuplicateOfTheWholeKey)
{
    const auto add = [&](std::initializer_list<std::array<const char*, 4>> rows) {
        SResRemoteCardVendorDllList list;
        for (const auto& [province, vendor, card, file] : rows) {
            auto& d = *static_cast<SResRemoteCardVendorDll*>(list.append());
            d.set_PROVINCE_CODE(province);
            d.set_VENDOR_CODE(vendor);
            d.set_CARD_TYPE(card);
            d.set_DLL_NAME(file);
        }
        return refusal(&Remote::add_cardVendorDll, list);
    };
    const std::string stored = "SELECT COUNT(*) FROM rsim_vendor_dll";
    const std::int64_t before = count(stored);
    EXPECT_EQ(add({{"44", "V01", "C64", "hnsc_w64.dll"}}),
              "2 记录已存在 / 第1条记录 "
              "PROVINCE_CODE=44,VENDOR_CODE=V01,CARD_TYPE=C64,DLL_NAME=hnsc_w64.dll");
    EXPECT_EQ(add({{"11", "V03", "D128", "new.dll"},
                   {"31", "V03", "D128", "new.dll"},
                   {"11", "V03", "D128", "new.dll"}}),
              "2 同一批数据中重复：PROVINCE_CODE,VENDOR_CODE,CARD_TYPE,DLL_NAME / 第3条记录 "
              "PROVINCE_CODE=11,VENDOR_CODE=V03,CARD_TYPE=D128,DLL_NAME=new.dll");
    EXPECT_EQ(count(stored), before) << "a refused batch stores nothing";

    // Each differs from the stored 44/V01/C64/hnsc_w64.dll, and from the others, in one member.
    ASSERT_EQ(add({{"11", "V01", "C64", "hnsc_w64.dll"},
                   {"44", "V03", "C64", "hnsc_w64.dll"},
                   {"44", "V01", "D128", "hnsc_w64.dll"},
                   {"44", "V01", "C64", "hnsc_w64b.dll"}}),
              "");
    EXPECT_EQ(count(stored), before + 4);
}

TEST_P(Service, RangesMustBeOrderedOfEqualLengthAndNotOverlap)
{
    const auto imsis = [](std::vector<std::pair<const char*, const char*>> ranges) {
        SResRemoteImsiMsisdnGrpList list;
        for (const auto& [first, last] : ranges) {
            auto& r = *static_cast<SResRemoteImsiMsisdnGrp*>(list.append());
            r.set_MSISDN_GROUP("G01");
            r.set_FIRST_IMSI(first);
            r.set_LAST_IMSI(last);
            r.set_PROVINCE_CODE("44");
        }
        return list;
    };
    const auto numbers = [](const char* first, const char* last) {
        return one<SResRemoteMsisdnGrpList>([&](auto& r) {
            r.set_MSISDN_GROUP("G01");
            r.set_FIRST_MSISDN(first);
            r.set_LAST_MSISDN(last);
            r.set_PROVINCE_CODE("44");
        });
    };
    const auto addImsis = &Remote::add_imsiMsisdnGrp;
    const auto addNumbers = &Remote::add_msisdnGrp;
    EXPECT_EQ(refusal(addImsis, imsis({{"460009000000009", "460009000000001"}})),
              "1 号段起始值大于结束值 / 第1条记录 FIRST_IMSI=460009000000009");
    EXPECT_EQ(refusal(addNumbers, numbers("1390900000", "13909000001")),
              "1 号段起止长度不一致 / 第1条记录 FIRST_MSISDN=1390900000");
    EXPECT_EQ(
        refusal(addNumbers, numbers("1390900000000000", "1390900000000001")),
        "1 FIRST_MSISDN格式错误：必须为1到15位数字 / 第1条记录 FIRST_MSISDN=1390900000000000");
    // Ranges of different lengths never overlap, though as text the stored
    // 13801000000-13801999999 lies between these ends.
    EXPECT_EQ(refusal(addNumbers, numbers("1380100000", "1380299999")), "");
    EXPECT_EQ(refusal(addNumbers, numbers("138015", "138030")), "");
    EXPECT_EQ(refusal(addNumbers, numbers("1380150000", "1380150001")),
              "5 号段与已有号段重叠：1380100000-1380299999 / 第1条记录 FIRST_MSISDN=1380150000");
    EXPECT_EQ(refusal(addImsis, imsis({{"460001500000000", "460001600000000"}})),
              "5 号段与已有号段重叠：460001000000000-460001999999999 / 第1条记录 "
              "FIRST_IMSI=460001500000000");
    // Ending where a stored range starts is an overlap too.
    EXPECT_EQ(refusal(addImsis, imsis({{"460000900000000", "460001000000000"}})),
              "5 号段与已有号段重叠：460001000000000-460001999999999 / 第1条记录 "
              "FIRST_IMSI=460000900000000");
    EXPECT_EQ(refusal(addImsis, one<SResRemoteImsiMsisdnGrpList>([](auto& r) {
                          r.set_MSISDN_GROUP("G99");
                          r.set_FIRST_IMSI("460009100000000");
                          r.set_LAST_IMSI("460009100000999");
                          r.set_PROVINCE_CODE("44");
                      })),
              "4 引用的MSISDN_GROUP不存在：G99 / 第1条记录 FIRST_IMSI=460009100000000");
    // Ranges of one batch must not overlap each other either; a range may be of one number.
    EXPECT_EQ(refusal(addImsis, imsis({{"460009000000000", "460009000000999"},
                                       {"460009000000999", "460009000001999"}})),
              "5 号段与同一批数据中的号段重叠：460009000000000-460009000000999 / 第2条记录 "
              "FIRST_IMSI=460009000000999");
    EXPECT_EQ(refusal(addImsis, imsis({{"460009000000000", "460009000000999"},
                                       {"460009000001000", "460009000001999"},
                                       {"460009000002000", "460009000002000"}})),
              "");
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
    ASSERT_EQ(refusal(&Remote::add_simInfo, batch), "");
    const std::string badBound = "格式错误：必须为19或20位数字或大写字母A-F";
    // A bound that is not a SIM number is refused, not compared after padding.
    const std::array<std::string, 3> cases[] = {
        {"9000000000000000000", "20000000000000000000",
         "10000000000000000005 19999999999999999999 9000000000000000005"},
        {"8999999999999999999", "10000000000000000005",
         "10000000000000000005 8999999999999999999 9000000000000000005"},
        {"9000000000000000006", "9999999999999999999", ""},
        {"19999999999999999999", "99999999999999999999",
         "19999999999999999999 20000000000000000001"},
        {"19999999999999999999", "100000000000000000000", "END_SIM_ID" + badBound},
        {"'; DROP TABLE rsim_sim; --", "19999999999999999999", "START_SIM_ID" + badBound},
        {"898600990000000001", "19999999999999999999", "START_SIM_ID" + badBound},
        {"8999999999999999999", "89860099000000000f1", "END_SIM_ID" + badBound},
    };
    for (const auto& [first, last, answer] : cases) {
        SRemoteSimQryIn criteria;
        criteria.set_START_IMSI("460009900008000");
        criteria.set_END_IMSI("460009900008999");
        criteria.set_START_SIM_ID(first);
        criteria.set_END_SIM_ID(last);
        SRemoteSimInfoList found;
        std::set<std::string> ids; // sorted as text
        if (remote_.qry_simInfo(criteria, found, error_, nullptr) != 0)
            ids.insert(error_.message);
        for (const auto& sim : found)
            ids.insert(sim.SIM_ID);
        std::string answered;
        for (const auto& id : ids)
            answered += (answered.empty() ? "" : " ") + id;
        EXPECT_EQ(answered, answer) << first << ".." << last;
    }
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
    // Checked only: the whole batch passes, and nothing of it is stored or audited.
    remote_.setCheckOnly(true);
    EXPECT_EQ(remote_.add_simInfo(info_, batch, error, nullptr), 0) << error.message << error.hint;
    remote_.setCheckOnly(false);
    EXPECT_EQ(countSims("460009900040000", "460009900051999"), 0);

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
    const auto answer = rawhttp::exchange(
        server_->port(), rawhttp::post("/v1/call/MResRemoteMgntApp_IResRemoteMgnt/RMOSMQ25", body,
                                       "X-Tav-Session: " + tvd_processSession() + "\r\n"));
    EXPECT_EQ(answer.status, 400);
    EXPECT_NE(
        answer.document()["error"].value("hint", "").find("in.listRemoteSimInfo[10000].REMARK"),
        std::string::npos)
        << answer.body;
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
        {SRemoteSimInfo::idx_IMSI, "46000990000599", false},
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

    const std::string ki = stored("SELECT KI_CODE FROM rsim_sim WHERE IMSI = ?", {one[0].IMSI});
    EXPECT_EQ(ki.rfind("s1:", 0), 0U);
    EXPECT_EQ(ki.find("0123456789ABCDEF"), std::string::npos);
    EXPECT_EQ(
        count("SELECT COUNT(*) FROM sys_audit WHERE RECORD_KEY LIKE ?", {"%" + one[0].IMSI + "%"}),
        2);
    EXPECT_EQ(count("SELECT COUNT(*) FROM sys_audit WHERE RECORD_KEY LIKE '%0123456789ABCDEF%'"),
              0);
}

// A duplicate only the database's unique index would catch is named as every duplicate is, with
// nothing of the database's own text.
TEST_P(Service, AModifyGivingACardAnotherCardsSimNumberIsRefusedByName)
{
    const SRemoteSimInfoList two = cards(7100, 2);
    ASSERT_EQ(refusal(&Remote::add_simInfo, two), "");
    const auto numbered = [&](const std::string& simId) {
        return one<SRemoteSimInfoList>([&](auto& c) {
            c.set_IMSI(two[1].IMSI);
            c.set_SIM_ID(simId);
        });
    };
    EXPECT_EQ(refusal(&Remote::mod_simInfo, numbered(two[0].SIM_ID)),
              "2 SIM_ID已存在 / 第1条记录 IMSI=" + two[1].IMSI);
    EXPECT_EQ(count("SELECT COUNT(*) FROM rsim_sim WHERE SIM_ID = ?", {two[1].SIM_ID}), 1);
    EXPECT_EQ(refusal(&Remote::mod_simInfo, numbered(two[1].SIM_ID)), "")
        << "its own number, set again, is no duplicate";
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
        const auto answer = rawhttp::exchange(
            server_->port(), rawhttp::post("/v1/call/MResRemoteMgntApp_IResRemoteMgnt/RMOSMQ01", in,
                                           "X-Tav-Session: " + tvd_processSession() +
                                               "\r\nX-Tav-Request-Id: " + id + "\r\n"));
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
        const std::string text = rawhttp::exchange(server_->port(), rawhttp::get("/metrics")).body;
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
    ASSERT_EQ(testsupport::logIn(server.address()), "");
    CBSErrorMsg error;
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
    const testsupport::TemporaryFolder folder;
    EXPECT_EQ(testsupport::runRsimd(
                  "--db sqlite:" + folder.path() + "/r.db --listen 127.0.0.1:" + port, errors),
              2);
    EXPECT_NE(errors.find("cannot listen on 127.0.0.1:" + port), std::string::npos);
}

} // namespace
