// The wire form: a round trip of every registered record type, and the refusals of the decoder.
#include "ResRemoteSimMgnt_tvd_c.h"
#include "sysmgnt_def_tvd_c.h"
#include "tvd_json.h"
#include "tvd_member.h"

#include <gtest/gtest.h>

using nlohmann::json;
using namespace MResRemoteMgntDef;

namespace {

// Sets every member of a record to a value derived from its index.
void fillAll(CTvdBasicStructObject& record)
{
    const STvdTypeDesc* desc = record.get_typeDesc();
    for (int i = 0; i < desc->memberCount; ++i) {
        std::visit(
            TvdOverloaded{
                [&](std::string* text) { *text = "值" + std::to_string(i); },
                [&](std::int16_t* number) { *number = static_cast<std::int16_t>(-i); },
                [&](std::int32_t* number) { *number = 100000 + i; },
                [&](std::int64_t* number) { *number = (std::int64_t{1} << 53) + i + 1; },
                [&](CBSDateTime* date) { *date = CBSDateTime(2026, 2, 28, 23, 59, i % 60); }},
            tvd_member(record, i));
        record.markSet(i);
    }
}

} // namespace

TEST(Codec, EveryRecordTypeRoundTripsWithAllMembersSet)
{
    const char* types[] = {"MResRemoteMgntApp::SOpInfo",
                           "MResRemoteMgntDef::SResRemoteProvCode",
                           "MResRemoteMgntDef::SResRemoteCardType",
                           "MResRemoteMgntDef::SResRemoteVendorCode",
                           "MResRemoteMgntDef::SResRemoteMsisdnGroup",
                           "MResRemoteMgntDef::SResRemoteImsiMsisdnGrp",
                           "MResRemoteMgntDef::SResRemoteMsisdnGrp",
                           "MResRemoteMgntDef::SRemoteSimInfo",
                           "MResRemoteMgntDef::SRemoteSimQryIn",
                           "MResRemoteMgntDef::SResRemoteCardVendorDll",
                           "MResRemoteMgntDef::SResRemoteDllErrMsg",
                           "MResRemoteMgntDef::SResRemoteAucInfo",
                           "MResRemoteMgntDef::SResRemoteSysAuc",
                           "MResRemoteMgntDef::SPsNetNumber",
                           "MResRemoteMgntDef::SPsNetImsi",
                           "MResRemoteMgntDef::SQryPsNetNumberIn",
                           "MResRemoteMgntDef::SQryPsNetImsiIn",
                           "MResRemoteMgntDef::SRemoteSimLog",
                           "MResRemoteMgntDef::SQryRemoteSimLogIn",
                           "MSysmgntDef::SRegion",
                           "MSysmgntDef::SCounty",
                           "MSysmgntDef::SOrgBriefProfile",
                           "MSysmgntDef::SAgentBriefProfile",
                           "MSysmgntDef::SOperator",
                           "MSysmgntDef::SOperatorBrief",
                           "MSysmgntDef::SPrivEntity",
                           "MSysmgntDef::SOperPrivAuth",
                           "MSysmgntDef::SPublicParam",
                           "MResSysMgnt::SQueryResCodeIn",
                           "MResSysMgnt::SResCodeDefInfo",
                           "MAccAuxMgntDef::SBankInfo",
                           "MAccAuxMgntDef::SDefFeeItem",
                           "MAccAuxMgntDef::SBookItem",
                           "MAccAuxMgntDef::SBillItemGrp"};
    for (const char* name : types) {
        SCOPED_TRACE(name);
        const CTvdTypeInfo* type = CTvdTypeInfo::find(name);
        ASSERT_NE(type, nullptr);
        auto original = type->createRecord();
        fillAll(*original);
        const json wire = tvd::wire::encode(*original);
        auto decoded = type->createRecord();
        tvd::wire::decode(json::parse(wire.dump()), *decoded);
        EXPECT_EQ(tvd::wire::encode(*decoded), wire);
        EXPECT_EQ(decoded->mask(0), original->mask(0));
    }
}

TEST(Codec, TypesMakeRecordsAndListsOfTheirOwnKindOnly)
{
    const CTvdTypeInfo& recordType = SResRemoteProvCode::typeInfo();
    const CTvdTypeInfo& listType = SResRemoteProvCodeList::typeInfo();
    auto record = recordType.createRecord();
    EXPECT_EQ(record->get_typeInfo(), &recordType);
    auto list = listType.createList();
    EXPECT_EQ(list->get_typeInfo(), &listType);
    EXPECT_EQ(list->count(), 0);
    EXPECT_THROW(recordType.createList(), std::logic_error);
    EXPECT_THROW(listType.createRecord(), std::logic_error);
}

TEST(Codec, OnlySetMembersTravel)
{
    SRemoteSimQryIn criteria;
    criteria.set_MAX_NUM(50);
    criteria.set_REGION_CODE(-1);
    EXPECT_EQ(tvd::wire::encode(criteria), json::parse(R"({"MAX_NUM":50,"REGION_CODE":-1})"));
    EXPECT_EQ(tvd::wire::encode(SResRemoteProvCode()), json::object());
}

TEST(Codec, ListsAreArraysAndInt64IsExact)
{
    SRemoteSimLogList logs;
    auto& entry = *static_cast<SRemoteSimLog*>(logs.append());
    entry.set_SO_NBR(9007199254740993LL);
    const json wire = tvd::wire::encode(logs);
    ASSERT_TRUE(wire.is_array());
    SRemoteSimLogList back;
    tvd::wire::decode(json::parse(wire.dump()), back);
    ASSERT_EQ(back.count(), 1);
    EXPECT_EQ(back[0].SO_NBR, 9007199254740993LL);
}

struct BadInput {
    const char* text;
    const char* expectedPath;
};

TEST(Codec, DecoderRefusesWrongTypesUnknownMembersAndBadDates)
{
    const BadInput cases[] = {
        {R"({"PROVINCE_CODE":11})", ".PROVINCE_CODE"},
        {R"({"NO_SUCH":"x"})", ".NO_SUCH"},
        {R"([1,2])", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        SResRemoteProvCode province;
        try {
            tvd::wire::decode(json::parse(c.text), province);
            FAIL() << "accepted";
        } catch (const tvd::wire::DecodeError& e) {
            EXPECT_EQ(e.path, c.expectedPath);
        }
    }
    SResRemoteCardType card;
    EXPECT_THROW(tvd::wire::decode(json::parse(R"({"STS":40000})"), card), tvd::wire::DecodeError);
    EXPECT_THROW(tvd::wire::decode(json::parse(R"({"STS":1.5})"), card), tvd::wire::DecodeError);
    EXPECT_THROW(tvd::wire::decode(json::parse(R"({"STS_DATE":"2026-02-30 00:00:00"})"), card),
                 tvd::wire::DecodeError);
    EXPECT_NO_THROW(
        tvd::wire::decode(json::parse(R"({"STS":-32768,"STS_DATE":"2024-02-29 23:59:59"})"), card));
    EXPECT_EQ(card.STS, -32768);
    SResRemoteProvCodeList list;
    try {
        tvd::wire::decode(json::parse(R"([{"PROVINCE_CODE":"11"},{"PROVINCE_NAME":7}])"), list,
                          "in.list");
        FAIL() << "accepted";
    } catch (const tvd::wire::DecodeError& e) {
        EXPECT_EQ(e.path, "in.list[1].PROVINCE_NAME");
    }
}

TEST(Codec, ParameterObjectsCarryRecordsAndListsButNotTheSession)
{
    MResRemoteMgntApp::SOpInfo info;
    info.set_OP_ID(7);
    SResRemoteProvCodeList provinces;
    static_cast<SResRemoteProvCode*>(provinces.append())->set_PROVINCE_CODE("44");
    STVSession session{"secret"};
    MResRemoteMgntApp::IResRemoteMgnt::CParamIn4add_provinceCode in(info, provinces, &session);
    const json wire = tvd::wire::encodeParams(in);
    EXPECT_EQ(
        wire,
        json::parse(R"({"sOpInfo":{"OP_ID":7},"listResRemoteProvCode":[{"PROVINCE_CODE":"44"}]})"));

    const TvdOperation* op = tvd_findOperation("MResRemoteMgntApp_IResRemoteMgnt", "RMOSMQ01");
    tvd::wire::OwnedParams owned(*op->in);
    tvd::wire::decodeParams(wire, owned.params(), "in");
    EXPECT_EQ(static_cast<MResRemoteMgntApp::SOpInfo&>(owned.object(0)).OP_ID, 7);
    EXPECT_EQ(static_cast<SResRemoteProvCodeList&>(owned.object(1))[0].PROVINCE_CODE, "44");
    EXPECT_THROW(tvd::wire::decodeParams(json::parse(R"({"session":{}})"), owned.params(), "in"),
                 tvd::wire::DecodeError);
}

TEST(Codec, ErrorRecords)
{
    CBSErrorMsg error;
    error.set(3, 0, "消息 100%", "%d");
    CBSErrorMsg back;
    ASSERT_TRUE(tvd::wire::decodeError(json::parse(tvd::wire::encodeError(error).dump()), back));
    EXPECT_EQ(back.message, "消息 100%");
    EXPECT_EQ(back.hint, "%d");
    EXPECT_FALSE(tvd::wire::decodeError(json::parse(R"({"code":"3"})"), back));
    EXPECT_EQ(back.code, 3);
}
