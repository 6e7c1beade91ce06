// The wire form of records: every registered record type written and read back, and the text of
// a parameter object written in pieces.
#include "ResRemoteSimMgnt_operations.h"
#include "sysmgnt_def_tvd_c.h"
#include "tvd_json.h"
#include "tvd_json_stream.h"
#include "tvd_json_tree.h"
#include "tvd_member.h"

#include <gtest/gtest.h>

#include <sstream>

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

// A record read from its text, as a login answer carries one.
void readRecord(const std::string& text, CTvdBasicStructObject& record)
{
    std::string session;
    CBSErrorMsg error;
    tvd::wire::readLoginAnswer(R"({"result":0,"session":"s","operator":)" + text + "}", record,
                               session, error);
}

} // namespace

TEST(Codec, EveryRecordTypeRoundTripsWithAllMembersSet)
{
    const std::pair<const char*, const char*> types[] = {
        {"MResRemoteMgntApp", "SOpInfo"},
        {"MResRemoteMgntDef",
         "SResRemoteProvCode SResRemoteCardType SResRemoteVendorCode SResRemoteMsisdnGroup "
         "SResRemoteImsiMsisdnGrp SResRemoteMsisdnGrp SRemoteSimInfo SRemoteSimQryIn "
         "SResRemoteCardVendorDll SResRemoteDllErrMsg SResRemoteAucInfo SResRemoteSysAuc "
         "SPsNetNumber SPsNetImsi SQryPsNetNumberIn SQryPsNetImsiIn SRemoteSimLog "
         "SQryRemoteSimLogIn"},
        {"MSysmgntDef", "SRegion SCounty SOrgBriefProfile SAgentBriefProfile SOperator "
                        "SOperatorBrief SPrivEntity SOperPrivAuth SPublicParam"},
        {"MResSysMgnt", "SQueryResCodeIn SResCodeDefInfo"},
        {"MAccAuxMgntDef", "SBankInfo SDefFeeItem SBookItem SBillItemGrp"}};
    std::vector<std::string> names;
    for (const auto& [space, records] : types) {
        std::istringstream list(records);
        for (std::string record; list >> record;)
            names.push_back(std::string(space) + "::" + record);
    }
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const CTvdTypeInfo* type = CTvdTypeInfo::find(name);
        ASSERT_NE(type, nullptr);
        auto original = type->createRecord();
        fillAll(*original);
        const json wire = tvd::wire::encode(*original);
        auto decoded = type->createRecord();
        readRecord(wire.dump(), *decoded);
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

namespace {

SRemoteSimInfo card(int n, const std::string& remark)
{
    SRemoteSimInfo sim;
    sim.set_IMSI("46002" + std::to_string(1000000000 + n));
    sim.set_KI_CODE("0123456789ABCDEF0123456789ABCDEF");
    sim.set_STS(static_cast<std::int16_t>(-n));
    sim.set_ORG_ID(2147483647);
    sim.set_REMARK(remark);
    return sim;
}

} // namespace

TEST(CodecWriter, TextEqualsTheTreesDumpInEveryPieceSize)
{
    MResRemoteMgntApp::SOpInfo info;
    info.set_OP_ID(7);
    info.set_REGION_CODE(-1);
    SRemoteSimInfoList cards;
    const std::string remarks[] = {"",
                                   "备注 \"引号\" \\ 斜线",
                                   "控制\x01\t\n\x1f字符",
                                   "emoji \xF0\x9F\x98\x80",
                                   "\x01\b\f\r\x1f\x7f/ctl",
                                   "ascii\tline\nbreak",
                                   "\"\"ends\\"};
    for (int i = 0; i < 200; ++i)
        cards.push_back(card(i, remarks[i % std::size(remarks)]));
    cards.push_back(SRemoteSimInfo()); // a record with no member set
    MResRemoteMgntApp::IResRemoteMgntOperations::CParamIn4add_simInfo in(info, cards, nullptr);
    const std::string tree =
        json{{"listRemoteSimInfo", tvd::wire::encode(cards)}, {"sOpInfo", tvd::wire::encode(info)}}
            .dump();
    for (std::size_t pieceBytes :
         {std::size_t{1}, std::size_t{100}, std::size_t{4096}, std::size_t{1} << 30}) {
        SCOPED_TRACE(pieceBytes);
        tvd::wire::ParamsWriter writer(in);
        std::string text;
        std::size_t pieces = 0;
        while (writer.next(text, pieceBytes))
            ++pieces;
        EXPECT_EQ(text, tree);
        EXPECT_LE(pieces, tree.size() / pieceBytes + 1) << "a piece holds the bytes asked for";
        EXPECT_EQ(pieces > 1, pieceBytes < tree.size());
    }
    EXPECT_EQ(tvd::wire::ParamsWriter::recordCount(in), 202) << "the cards and the op info";
    CBSErrorMsg error;
    error.set(-2147483647 - 1, 42, remarks[1], remarks[4]);
    std::string errorText;
    tvd::wire::appendError(errorText, error);
    EXPECT_EQ(errorText, tvd::wire::encodeError(error).dump());
    // A fault's text replaces what is not UTF-8, each faulty sequence as the tree replaces it.
    error.set(-1, 400, "bad \xff\xfe\xc3( and \xe4\xb8 end \xf0\x9f", "\xc0\x80\xed\xa0\x80 \t ok");
    EXPECT_EQ(tvd::wire::encodeFault(-1, error),
              json({{"result", -1}, {"error", tvd::wire::encodeError(error)}})
                  .dump(-1, ' ', false, json::error_handler_t::replace));
}

TEST(CodecWriter, AListWhoseRecordsTheCallerWritesGivesTheTextOfTheWholeList)
{
    MResRemoteMgntApp::SOpInfo info;
    info.set_OP_ID(7);
    SRemoteSimInfoList all;
    for (int i = 0; i < 10; ++i)
        all.push_back(card(i, "备注" + std::to_string(i)));
    const std::string whole =
        tvd::wire::ParamsWriter(
            MResRemoteMgntApp::IResRemoteMgntOperations::CParamIn4add_simInfo(info, all, nullptr))
            .all();

    SRemoteSimInfoList filling;
    MResRemoteMgntApp::IResRemoteMgntOperations::CParamIn4add_simInfo params(info, filling,
                                                                             nullptr);
    tvd::wire::ParamsWriter writer(params);
    std::string text;
    for (int i = 0; i < 9; ++i) {
        writer.startRecord(text, filling);
        text += tvd::wire::encode(all[static_cast<std::size_t>(i)]).dump();
    }
    filling.push_back(all[9]);
    while (writer.next(text, 7)) {
    }
    EXPECT_EQ(text, whole);
}
