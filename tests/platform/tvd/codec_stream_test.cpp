// The streamed text of a parameter object: the same text as the tree's dump, in any piece size.
#include "ResRemoteSimMgnt_tvd_c.h"
#include "tvd_json.h"
#include "tvd_json_stream.h"

#include <gtest/gtest.h>

using nlohmann::json;
using namespace MResRemoteMgntDef;

namespace {

SRemoteSimInfo card(int n, const std::string& remark)
{
    SRemoteSimInfo sim;
    sim.set_IMSI("46002" + std::to_string(1000000000 + n));
    sim.set_SIM_ID("898602000000000" + std::to_string(10000 + n));
    sim.set_KI_CODE("0123456789ABCDEF0123456789ABCDEF");
    sim.set_STS(static_cast<std::int16_t>(-n));
    sim.set_ORG_ID(2147483647);
    sim.set_REMARK(remark);
    return sim;
}

std::string streamed(const CTvdBasicParamObject& params, std::size_t pieceBytes, int& pieces)
{
    tvd::wire::ParamsWriter writer(params);
    std::string text;
    pieces = 0;
    while (writer.next(text, pieceBytes))
        ++pieces;
    return text;
}

} // namespace

TEST(CodecStream, TextEqualsTheTreesDumpInEveryPieceSize)
{
    MResRemoteMgntApp::SOpInfo info;
    info.set_OP_ID(7);
    info.set_REGION_CODE(-1);
    SRemoteSimInfoList cards;
    const std::string remarks[] = {"",
                                   "备注 \"引号\" \\ 斜线",
                                   "控制\x01\t\n\x1f字符",
                                   "emoji \xF0\x9F\x98\x80",
                                   "ascii \"quoted\" \\ slash",
                                   "\x01\b\f\r\x1f\x7f/ctl",
                                   "\"\"ends\\"};
    for (int i = 0; i < 200; ++i)
        cards.push_back(card(i, remarks[i % std::size(remarks)]));
    cards.push_back(SRemoteSimInfo()); // a record with no member set
    MResRemoteMgntApp::IResRemoteMgnt::CParamIn4add_simInfo in(info, cards, nullptr);
    const std::string tree = tvd::wire::encodeParams(in).dump();
    for (std::size_t pieceBytes :
         {std::size_t{1}, std::size_t{100}, std::size_t{4096}, std::size_t{1} << 30}) {
        SCOPED_TRACE(pieceBytes);
        int pieces = 0;
        EXPECT_EQ(streamed(in, pieceBytes, pieces), tree);
        EXPECT_LE(static_cast<std::size_t>(pieces), tree.size() / pieceBytes + 1)
            << "a piece holds the bytes asked for";
        EXPECT_EQ(pieces > 1, pieceBytes < tree.size());
    }
    EXPECT_EQ(tvd::wire::ParamsWriter(in).all(), tree);
    EXPECT_EQ(tvd::wire::ParamsWriter::recordCount(in), 202);
}

TEST(CodecStream, EmptyListsRecordsAndQueriesAreWrittenAsTheTreeWritesThem)
{
    MResRemoteMgntApp::SOpInfo info;
    SRemoteSimInfoList none;
    MResRemoteMgntApp::IResRemoteMgnt::CParamIn4del_simInfo in(info, none, nullptr);
    EXPECT_EQ(tvd::wire::ParamsWriter(in).all(), tvd::wire::encodeParams(in).dump());
    EXPECT_EQ(tvd::wire::ParamsWriter(in).all(), R"({"listRemoteSimInfo":[],"sOpInfo":{}})");

    SRemoteSimQryIn criteria;
    criteria.set_START_IMSI("460020000500000");
    criteria.set_MAX_NUM(50);
    MResRemoteMgntApp::IResRemoteMgnt::CParamIn4qry_simInfo query(criteria, nullptr);
    EXPECT_EQ(tvd::wire::ParamsWriter(query).all(), tvd::wire::encodeParams(query).dump());
}

TEST(CodecStream, TextThatIsNotUtf8IsRefusedAsTheTreeRefusesIt)
{
    MResRemoteMgntApp::SOpInfo info;
    SRemoteSimInfoList cards;
    cards.push_back(card(1, "bad \xFF byte"));
    MResRemoteMgntApp::IResRemoteMgnt::CParamIn4add_simInfo in(info, cards, nullptr);
    EXPECT_THROW(tvd::wire::encodeParams(in).dump(), json::type_error);
    EXPECT_THROW(tvd::wire::ParamsWriter(in).all(), json::type_error);
}

namespace {

// What the request text decodes to through the tree: the encoded parameters, or the error text.
std::string throughTree(const std::string& text, const TvdOperation& op)
{
    tvd::wire::OwnedParams in(*op.in);
    try {
        const json request = json::parse(text);
        if (!request.is_object() || !request.contains("in"))
            return "no in";
        tvd::wire::decodeParams(request["in"], in.params(), "in");
    } catch (const std::exception& e) {
        return e.what();
    }
    return tvd::wire::encodeParams(in.params()).dump();
}

std::string read(const std::string& text, const TvdOperation& op)
{
    tvd::wire::OwnedParams in(*op.in);
    try {
        if (!tvd::wire::readRequest(text, in.params()))
            return "no in";
    } catch (const std::exception& e) {
        return e.what();
    }
    return tvd::wire::encodeParams(in.params()).dump();
}

} // namespace

TEST(CodecStream, RequestsAreReadAsTheTreeDecodesThemOrRefusedWithTheSameText)
{
    const TvdOperation* add = tvd_findOperation("MResRemoteMgntApp_IResRemoteMgnt", "RMOSMQ25");
    ASSERT_NE(add, nullptr);
    const std::string requests[] = {
        R"({"in":{"sOpInfo":{"OP_ID":7,"REGION_CODE":-1},"listRemoteSimInfo":[{"IMSI":"460","STS":-3,"ORG_ID":2147483647},{},{"REMARK":"备注\n\"x\""}]}})",
        R"({"skipped":[[1,{"a":[2]}],{"b":null}],"in":{"listRemoteSimInfo":[]},"after":true})",
        R"({"in":{}})",
        R"({"other":1})",
        R"([{"in":{}}])",
        R"("in")",
        R"({"in":[]})",
        R"({"in":5})",
        R"({"in":{"session":{}}})",
        R"({"in":{"nope":{}}})",
        R"({"in":{"sOpInfo":[]}})",
        R"({"in":{"listRemoteSimInfo":{}}})",
        R"({"in":{"listRemoteSimInfo":[{},3]}})",
        R"({"in":{"listRemoteSimInfo":[{},[]]}})",
        R"({"in":{"listRemoteSimInfo":[{"NOPE":1}]}})",
        R"({"in":{"listRemoteSimInfo":[{"IMSI":1}]}})",
        R"({"in":{"listRemoteSimInfo":[{"IMSI":{"a":1}}]}})",
        R"({"in":{"listRemoteSimInfo":[{"STS":"1"}]}})",
        R"({"in":{"listRemoteSimInfo":[{"STS":1.0}]}})",
        R"({"in":{"listRemoteSimInfo":[{"STS":32768}]}})",
        R"({"in":{"listRemoteSimInfo":[{"STS":-32769}]}})",
        R"({"in":{"sOpInfo":{"OP_ID":18446744073709551615}}})",
        R"({"in":{"listRemoteSimInfo":[{"IMSI":"46002"})",
        R"({"in":{"listRemoteSimInfo":[{"IMSI":1e999}]}})",
    };
    for (const std::string& text : requests) {
        SCOPED_TRACE(text);
        EXPECT_EQ(read(text, *add), throughTree(text, *add));
    }
    const TvdOperation* query = tvd_findOperation("MResRemoteMgntApp_IResRemoteMgnt", "RMOSMQ52");
    ASSERT_NE(query, nullptr);
    const std::string dated = R"({"in":{"sIn":{"BEGIN_OP_TIME":"2026-02-28 23:59:01"}}})";
    EXPECT_EQ(read(dated, *query), throughTree(dated, *query));
    EXPECT_NE(read(dated, *query).find("2026-02-28 23:59:01"), std::string::npos);
    const std::string badDate = R"({"in":{"sIn":{"BEGIN_OP_TIME":"2026-02-30"}}})";
    EXPECT_EQ(read(badDate, *query), throughTree(badDate, *query));
}

namespace {

// An answer as the tree decodes it: result, error record and the encoded out-object, or why it
// was refused (a problem of the result is "refused": the tree's exceptions word it otherwise).
std::string answerThroughTree(const std::string& text, const TvdOperation& op)
{
    tvd::wire::OwnedParams out(*op.out);
    CBSErrorMsg error;
    int result = 0;
    try {
        const json reply = json::parse(text);
        try {
            result = reply.at("result").get<int>();
        } catch (const json::exception&) {
            return "refused";
        }
        if (reply.contains("error") && !tvd::wire::decodeError(reply["error"], error))
            throw tvd::wire::DecodeError("error", "not an error record");
        if (reply.contains("out"))
            tvd::wire::decodeParams(reply["out"], out.params(), "out");
    } catch (const std::exception& e) {
        return e.what();
    }
    return std::to_string(result) + " " + tvd::wire::encodeError(error).dump() + " " +
           tvd::wire::encodeParams(out.params()).dump();
}

std::string readAnswer(const std::string& text, const TvdOperation& op)
{
    tvd::wire::OwnedParams out(*op.out);
    CBSErrorMsg error;
    int result = 0;
    try {
        result = tvd::wire::readAnswer(text, out.params(), error);
    } catch (const tvd::wire::DecodeError& e) {
        return e.path == "result" ? "refused" : e.what();
    } catch (const std::exception& e) {
        return e.what();
    }
    return std::to_string(result) + " " + tvd::wire::encodeError(error).dump() + " " +
           tvd::wire::encodeParams(out.params()).dump();
}

} // namespace

TEST(CodecStream, AnswersAreReadAsTheTreeDecodesThemOrRefusedWithTheSameText)
{
    const TvdOperation* query = tvd_findOperation("MResRemoteMgntApp_IResRemoteMgnt", "RMOSMQ52");
    ASSERT_NE(query, nullptr);
    const std::string good =
        R"({"error":{"code":0,"hint":"","message":"","minCode":0},"out":{"listRemoteSimLog":[)"
        R"({"IMSI":"46003","OP_TIME":"2026-06-01 08:00:00","SO_NBR":500000000001,"REGION_CODE":23},{},)"
        R"({"OP_STR":"写卡成功\n\"x\"","OP_ID":-2307}]},"result":0})";
    const std::string answers[] = {
        good,
        R"({"result":3,"error":{"code":3,"minCode":7,"message":"号段重叠","hint":"第1条","extra":[1,{"a":2}]}})",
        R"({"result":0})",
        R"({"result":0,"out":{"listRemoteSimLog":[]},"other":{"out":[1]}})",
        R"({"out":{"listRemoteSimLog":[]}})",
        R"({"result":"0"})",
        R"({"result":null})",
        R"({"result":[0]})",
        R"({"result":{"a":0}})",
        R"({"result":2.0})",
        R"({"result":true})",
        R"([{"result":0}])",
        R"({"result":1,"error":5})",
        R"({"result":1,"error":[]})",
        R"({"result":1,"error":{"code":1,"minCode":2,"message":"m"}})",
        R"({"result":1,"error":{"code":"1","minCode":2,"message":"m","hint":"h"}})",
        R"({"result":1,"error":{"code":1,"minCode":2,"message":{},"hint":"h"}})",
        R"({"result":1,"error":{"code":1,"minCode":2.5,"message":"m","hint":"h"}})",
        R"({"result":1,"error":{"code":1,"minCode":2,"message":"m","hint":null}})",
        R"({"result":0,"out":[]})",
        R"({"result":0,"out":{"nope":[]}})",
        R"({"result":0,"out":{"listRemoteSimLog":{}}})",
        R"({"result":0,"out":{"listRemoteSimLog":[{},7]}})",
        R"({"result":0,"out":{"listRemoteSimLog":[{"NOPE":1}]}})",
        R"({"result":0,"out":{"listRemoteSimLog":[{"IMSI":"1","OP_ID":2},{"OP_ID":3,"IMSI":"4"},{"IMSI":"5"},{"IMSI":"6","OP_ID":7,"PHONE1":"8"}]}})",
        R"({"result":0,"out":{"listRemoteSimLog":[{"IMSI":"1","OP_ID":2},{"IMSI":"3","NOPE":4}]}})",
        R"({"result":0,"out":{"listRemoteSimLog":[{"IMSI":46003}]}})",
        R"({"result":0,"out":{"listRemoteSimLog":[{},{"OP_TIME":"2026-02-30 00:00:00"}]}})",
        R"({"result":0,"out":{"listRemoteSimLog":[{"REGION_CODE":32768}]}})",
        R"({"result":0,"out":{"listRemoteSimLog":[{"OP_ID":2147483648}]}})",
        R"({"result":0,"out":{"listRemoteSimLog":[{"SO_NBR":1.5}]}})",
        R"({"result":0,"out":{"listRemoteSimLog":[{"IMSI":"4600)",
    };
    for (const std::string& text : answers) {
        SCOPED_TRACE(text);
        EXPECT_EQ(readAnswer(text, *query), answerThroughTree(text, *query));
    }
    EXPECT_NE(readAnswer(good, *query).find("2026-06-01 08:00:00"), std::string::npos);
    EXPECT_NE(readAnswer(R"({"result":1,"error":{"code":1,"minCode":2,"message":"m"}})", *query)
                  .find("not an error record"),
              std::string::npos);
}

TEST(CodecStream, AnAnswerReplacesTheListItIsReadInto)
{
    const TvdOperation* query = tvd_findOperation("MResRemoteMgntApp_IResRemoteMgnt", "RMOSMQ52");
    ASSERT_NE(query, nullptr);
    tvd::wire::OwnedParams out(*query->out);
    CBSErrorMsg error;
    tvd::wire::readAnswer(
        R"({"result":0,"out":{"listRemoteSimLog":[{"IMSI":"1","PHONE1":"139"},{"IMSI":"2"}]}})",
        out.params(), error);
    EXPECT_EQ(tvd::wire::readAnswer(R"({"result":0,"out":{"listRemoteSimLog":[{"IMSI":"3"}]}})",
                                    out.params(), error),
              0);
    EXPECT_EQ(tvd::wire::encodeParams(out.params()).dump(),
              R"({"listRemoteSimLog":[{"IMSI":"3"}]})")
        << "no member of an earlier answer's record is left";
}

namespace {

// The text of a request adding cards 0 to count-1, with the op info after the list.
std::string addRequest(int count, MResRemoteMgntApp::SOpInfo& info, SRemoteSimInfoList& cards)
{
    for (int i = 0; i < count; ++i)
        cards.push_back(card(i, "备注" + std::to_string(i)));
    info.set_OP_ID(7);
    MResRemoteMgntApp::IResRemoteMgnt::CParamIn4add_simInfo in(info, cards, nullptr);
    return R"({"in":)" + tvd::wire::ParamsWriter(in).all() + "}";
}

std::string replaced(std::string text, const std::string& what, const std::string& by)
{
    const std::size_t at = text.find(what);
    if (at == std::string::npos)
        ADD_FAILURE() << what << " is not in the request";
    return at == std::string::npos ? text : text.replace(at, what.size(), by);
}

} // namespace

TEST(CodecStream, AListReadInChunksGivesEachRecordOnceAndPathsCountTheRecordsBefore)
{
    const TvdOperation* add = tvd_findOperation("MResRemoteMgntApp_IResRemoteMgnt", "RMOSMQ25");
    ASSERT_NE(add, nullptr);
    MResRemoteMgntApp::SOpInfo info;
    SRemoteSimInfoList cards;
    const std::string text = addRequest(7, info, cards);

    std::vector<int> sizes;
    SRemoteSimInfoList taken;
    const tvd::wire::ListChunks chunks{
        3, [&](const CTvdBasicListObject& records) {
            sizes.push_back(records.count());
            for (int i = 0; i < records.count(); ++i)
                taken.push_back(static_cast<const SRemoteSimInfo&>(records.element(i)));
            return true;
        }};
    tvd::wire::OwnedParams in(*add->in);
    ASSERT_TRUE(tvd::wire::readRequest(text, in.params(), &chunks));
    EXPECT_EQ(sizes, (std::vector<int>{3, 3, 1}));
    EXPECT_EQ(tvd::wire::encode(taken), tvd::wire::encode(cards));
    EXPECT_EQ(tvd::wire::encode(in.object(0)), tvd::wire::encode(info)) << "read after the list";

    const auto pathOfFault = [&](const std::string& request) {
        tvd::wire::OwnedParams fresh(*add->in);
        try {
            tvd::wire::readRequest(request, fresh.params(), &chunks);
        } catch (const tvd::wire::DecodeError& e) {
            return e.path;
        }
        return std::string("no fault");
    };
    EXPECT_EQ(pathOfFault(replaced(text, R"("STS":-5)", R"("STS":"x")")),
              "in.listRemoteSimInfo[5].STS");
    EXPECT_EQ(pathOfFault(replaced(text, R"(}],"sOpInfo")", R"(},3],"sOpInfo")")),
              "in.listRemoteSimInfo[7]");
}

TEST(CodecStream, ATakerThatStopsEndsTheReadingWithNoFaultOfWhatFollows)
{
    const TvdOperation* add = tvd_findOperation("MResRemoteMgntApp_IResRemoteMgnt", "RMOSMQ25");
    ASSERT_NE(add, nullptr);
    MResRemoteMgntApp::SOpInfo info;
    SRemoteSimInfoList cards;
    const std::string text = replaced(addRequest(7, info, cards), R"("STS":-5)", R"("STS":"x")");
    int takes = 0;
    const tvd::wire::ListChunks chunks{2, [&](const CTvdBasicListObject&) {
                                           ++takes;
                                           return false;
                                       }};
    tvd::wire::OwnedParams in(*add->in);
    EXPECT_TRUE(tvd::wire::readRequest(text, in.params(), &chunks));
    EXPECT_EQ(takes, 1);
    EXPECT_THROW(tvd::wire::readRequest(text, in.params()), tvd::wire::DecodeError);
}

TEST(CodecStream, AListWrittenWhileItIsFilledGivesTheTextOfTheWholeList)
{
    MResRemoteMgntApp::SOpInfo info;
    SRemoteSimInfoList all;
    addRequest(10, info, all);
    const std::string whole =
        tvd::wire::ParamsWriter(
            MResRemoteMgntApp::IResRemoteMgnt::CParamIn4add_simInfo(info, all, nullptr))
            .all();

    SRemoteSimInfoList filling;
    MResRemoteMgntApp::IResRemoteMgnt::CParamIn4add_simInfo params(info, filling, nullptr);
    tvd::wire::ParamsWriter writer(params);
    std::string text;
    int next = 0;
    for (int size : {4, 0, 5}) {
        for (int i = 0; i < size; ++i)
            filling.push_back(all[static_cast<std::size_t>(next++)]);
        writer.take(text, filling);
        EXPECT_EQ(filling.count(), 0) << "taken records are let go";
    }
    filling.push_back(all[static_cast<std::size_t>(next)]);
    while (writer.next(text, 7)) {
    }
    EXPECT_EQ(text, whole);
}
