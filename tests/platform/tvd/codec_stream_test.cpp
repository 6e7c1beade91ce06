// Requests and answers read event by event into their parameter objects: what each reads, and
// the path each refusal names.
#include "ResRemoteSimMgnt_operations.h"
#include "sysmgnt_def_tvd_c.h"
#include "tvd_json.h"
#include "tvd_json_stream.h"
#include "tvd_json_tree.h"

#include <gtest/gtest.h>

using nlohmann::json;
using namespace MResRemoteMgntDef;

namespace {

const TvdOperation& operation(const char* code)
{
    const TvdOperation* found = tvd_findOperation("MResRemoteMgntApp_IResRemoteMgnt", code);
    if (found == nullptr)
        throw std::logic_error(std::string("no operation ") + code);
    return *found;
}

// The parameter object's records as the writer writes them.
std::string written(CTvdBasicParamObject& params)
{
    return tvd::wire::ParamsWriter(params).all();
}

// What reading gives: the parameters read, "no in", or where and why it was refused.
template <class Read>
std::string outcome(Read read)
{
    try {
        return read();
    } catch (const tvd::wire::DecodeError& e) {
        return "refused at " + e.path;
    } catch (const tvd::wire::TextFault& e) {
        return e.what();
    }
}

constexpr tvd::wire::ReadLimits kUnbounded{SIZE_MAX, SIZE_MAX};

std::string readRequest(const std::string& text, const char* code,
                        const tvd::wire::ReadLimits& limits = kUnbounded,
                        const tvd::wire::ListChunks* chunks = nullptr)
{
    tvd::wire::OwnedParams in(*operation(code).in);
    return outcome([&] {
        return tvd::wire::readRequest(text, in.params(), limits, chunks) ? written(in.params())
                                                                         : "no in";
    });
}

std::string readAnswer(const std::string& text)
{
    tvd::wire::OwnedParams out(*operation("RMOSMQ52").out);
    CBSErrorMsg error;
    return outcome([&] {
        const int result = tvd::wire::readAnswer(text, out.params(), error);
        return std::to_string(result) + " " + error.message + " " + written(out.params());
    });
}

struct Case {
    std::string text;
    std::string read;
};

template <std::size_t N, class Read>
void expectEach(const Case (&cases)[N], Read read)
{
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(read(c.text), c.read);
    }
}

} // namespace

TEST(CodecReader, RequestsAreReadOrRefusedAtTheFaultyValue)
{
    const std::string notUtf8 = "a string that is not UTF-8 near byte ";
    const Case cases[] = {
        {R"({"in":{"sOpInfo":{"OP_ID":7,"REGION_CODE":-1},"listRemoteSimInfo":[{"IMSI":"460","STS":-32768,"ORG_ID":2147483647},{},{"REMARK":"备注\n\"x\""}]}})",
         R"({"listRemoteSimInfo":[{"IMSI":"460","ORG_ID":2147483647,"STS":-32768},{},{"REMARK":"备注\n\"x\""}],"sOpInfo":{"OP_ID":7,"REGION_CODE":-1}})"},
        {R"({"skipped":[[1,{"a":[2]}],{"b":null}],"in":{"listRemoteSimInfo":[]},"after":true})",
         R"({"listRemoteSimInfo":[],"sOpInfo":{}})"},
        {R"({"other":1})", "no in"},
        {R"([{"in":{}}])", "no in"},
        {R"({"in":5})", "refused at in"},
        {R"({"in":{"session":{}}})", "refused at in.session"},
        {R"({"in":{"sOpInfo":[]}})", "refused at in.sOpInfo"},
        {R"({"in":{"listRemoteSimInfo":{}}})", "refused at in.listRemoteSimInfo"},
        {R"({"in":{"listRemoteSimInfo":[{},3]}})", "refused at in.listRemoteSimInfo[1]"},
        {R"({"in":{"listRemoteSimInfo":[{"NOPE":1}]}})", "refused at in.listRemoteSimInfo[0].NOPE"},
        {R"({"in":{"listRemoteSimInfo":[{"IMSI":1}]}})", "refused at in.listRemoteSimInfo[0].IMSI"},
        {R"({"in":{"listRemoteSimInfo":[{"STS":"1"}]}})", "refused at in.listRemoteSimInfo[0].STS"},
        {R"({"in":{"listRemoteSimInfo":[{"STS":1.0}]}})", "refused at in.listRemoteSimInfo[0].STS"},
        {R"({"in":{"listRemoteSimInfo":[{"STS":32768}]}})",
         "refused at in.listRemoteSimInfo[0].STS"},
        {R"({"in":{"listRemoteSimInfo":[{"STS":-32769}]}})",
         "refused at in.listRemoteSimInfo[0].STS"},
        {R"({"in":{"sOpInfo":{"OP_ID":18446744073709551615}}})", "refused at in.sOpInfo.OP_ID"},
        {R"({"in":{"listRemoteSimInfo":[{"IMSI":"46002"})", "malformed JSON near byte 45"},
        {R"({"in":{"listRemoteSimInfo":[{"IMSI":1e999}]}})", "malformed JSON near byte 41"},
        {R"({"in":{}} x)", "malformed JSON near byte 11"},
        {"", "no JSON value at the start"},
        {" ", "malformed JSON near byte 2"},
        // Text is UTF-8: a pair of escaped surrogates is one character, anything else is refused
        // near the byte that shows it (after an escape, a byte or so off).
        {"\xEF\xBB\xBF"
         R"({"in":{"listRemoteSimInfo":[{"REMARK":"\ud83d\ude00\u00e9"}]}})",
         R"({"listRemoteSimInfo":[{"REMARK":"😀é"}],"sOpInfo":{}})"},
        {R"({"in":{"listRemoteSimInfo":[{"REMARK":"ok\udc00"}]}})", notUtf8 + "46"},
        {R"({"in":{"listRemoteSimInfo":[{"REMARK":"\ud800"}]}})", notUtf8 + "46"},
        {"{\"in\":{\"listRemoteSimInfo\":[{\"REMARK\":\"ab\xC3\"}]}}", notUtf8 + "43"},
        {"\xEF\xBB\xBF{\"in\":{\"listRemoteSimInfo\":[{\"REMARK\":\"\xF4\x90\x80\x80\"}]}}",
         notUtf8 + "44"},
        {"{\"in\":{\"listRemoteSimInfo\":[{\"REMARK\":\"12345678\xC0\xAF\"}]}}", notUtf8 + "48"},
        {"{\"in\":{\"listRemoteSimInfo\":[{\"REMARK\":\"\xED\xA0\x80\"}]}}", notUtf8 + "41"},
        {"{\"in\":{\"listRemoteSimInfo\":[{\"\xFF\":1}]}}", notUtf8 + "31"},
        // Nesting costs no stack: a skipped value a million arrays deep is read past.
        {R"({"skipped":)" + std::string(1000000, '[') + std::string(1000000, ']') + R"(,"in":{}})",
         R"({"listRemoteSimInfo":[],"sOpInfo":{}})"},
    };
    expectEach(cases, [](const std::string& text) { return readRequest(text, "RMOSMQ25"); });
    EXPECT_EQ(readRequest(R"({"in":{"sIn":{"BEGIN_OP_TIME":"2024-02-29 23:59:01"}}})", "RMOSMQ52"),
              R"({"sIn":{"BEGIN_OP_TIME":"2024-02-29 23:59:01"}})");
    EXPECT_EQ(readRequest(R"({"in":{"sIn":{"BEGIN_OP_TIME":"2026-02-29 00:00:00"}}})", "RMOSMQ52"),
              "refused at in.sIn.BEGIN_OP_TIME");
}

TEST(CodecReader, ATextBeyondItsLimitsIsRefusedWhole)
{
    const tvd::wire::ReadLimits limits{4, 8}; // a record of a list is four deep
    const auto list = [](const std::string& records) {
        return R"({"in":{"listRemoteSimInfo":[)" + records + "]}}";
    };
    const Case cases[] = {
        {list(R"({"REMARK":"12345678"},{"REMARK":"12345678"})"),
         R"({"listRemoteSimInfo":[{"REMARK":"12345678"},{"REMARK":"12345678"}],"sOpInfo":{}})"},
        {list(R"({"REMARK":"123456789"})"), R"(a string of 9 bytes after member "REMARK")"},
        {list(R"({"REMARK":[]})"), "nested deeper than 4 levels"},
        // A fault of the text wins over a wrong value before it.
        {list(R"({"NOPE":1},{"REMARK":"123456789"})"),
         R"(a string of 9 bytes after member "REMARK")"},
        {list(R"({"NOPE":1},{"REMARK":"1"})") + "}", "malformed JSON near byte 57"},
        {list(R"({"NOPE":1},{"REMARK":"1"})"), "refused at in.listRemoteSimInfo[0].NOPE"},
    };
    expectEach(cases,
               [&](const std::string& text) { return readRequest(text, "RMOSMQ25", limits); });
}

TEST(CodecReader, TheStringsOfALoginAreReadFromItsTopObject)
{
    const auto login = [](const std::string& text) {
        return outcome([&] {
            std::string read;
            for (const auto& value :
                 tvd::wire::readStrings(text, {"login", "password"}, kUnbounded))
                read += value ? "[" + *value + "]" : "-";
            return read;
        });
    };
    EXPECT_EQ(login(R"({"x":{"login":"no"},"password":"p","login":"管理员"})"), "[管理员][p]");
    EXPECT_EQ(login(R"({"login":["a"],"password":1})"), "--");
    EXPECT_EQ(login(R"(["login","a"])"), "--");
    EXPECT_EQ(login(R"({"login":"a","login":"b"})"), R"(member "login" twice in one object)");
}

TEST(CodecReader, AnswersAreReadOrRefusedAtTheFaultyValue)
{
    const Case cases[] = {
        {R"({"error":{"code":0,"hint":"","message":"","minCode":0},"out":{"listRemoteSimLog":[)"
         R"({"IMSI":"46003","OP_TIME":"2026-06-01 08:00:00","SO_NBR":9007199254740993,"REGION_CODE":23},{},)"
         R"({"OP_STR":"写卡成功\n\"x\"","OP_ID":-2307}]},"result":0})",
         R"(0  {"listRemoteSimLog":[{"IMSI":"46003","OP_TIME":"2026-06-01 08:00:00","REGION_CODE":23,"SO_NBR":9007199254740993},{},{"OP_ID":-2307,"OP_STR":"写卡成功\n\"x\""}]})"},
        {R"({"result":3,"error":{"code":3,"minCode":7,"message":"号段重叠","hint":"第1条","extra":[1,{"a":2}]}})",
         R"(3 号段重叠 {"listRemoteSimLog":[]})"},
        {R"({"result":0,"out":{"listRemoteSimLog":[]},"other":{"out":[1]}})",
         R"(0 no error {"listRemoteSimLog":[]})"},
        // The k-th member name of a record is first taken for the k-th of the record before.
        {R"({"result":0,"out":{"listRemoteSimLog":[{"IMSI":"1","OP_ID":2},{"OP_ID":3,"IMSI":"4"},{"IMSI":"5"},{"IMSI":"6","OP_ID":7,"PHONE1":"8"}]}})",
         R"(0 no error {"listRemoteSimLog":[{"IMSI":"1","OP_ID":2},{"IMSI":"4","OP_ID":3},{"IMSI":"5"},{"IMSI":"6","OP_ID":7,"PHONE1":"8"}]})"},
        {R"({"result":0,"out":{"listRemoteSimLog":[{"IMSI":"1","OP_ID":2},{"IMSI":"3","NOPE":4}]}})",
         "refused at out.listRemoteSimLog[1].NOPE"},
        {R"({"out":{"listRemoteSimLog":[]}})", "refused at result"},
        {R"({"result":"0"})", "refused at result"},
        {R"({"result":[0]})", "refused at result"},
        {R"({"result":1,"error":5})", "refused at error"},
        {R"({"result":1,"error":{"code":1,"minCode":2,"message":"m"}})", "refused at error"},
        {R"({"result":1,"error":{"code":1,"minCode":2.5,"message":"m","hint":"h"}})",
         "refused at error"},
        {R"({"result":0,"out":[]})", "refused at out"},
        {R"({"result":0,"out":{"nope":[]}})", "refused at out.nope"},
        // Numbers at the edges of int64, and faults of the text found as in a request; a fault of
        // a value before one of the text is the one told.
        {R"({"result":0,"out":{"listRemoteSimLog":[{"OP_ID":-0,"SO_NBR":-9223372036854775808}]}})",
         R"(0 no error {"listRemoteSimLog":[{"OP_ID":0,"SO_NBR":-9223372036854775808}]})"},
        {R"({"result":0,"out":{"listRemoteSimLog":[{"OP_STR":"ok\udc00"}]}})",
         "a string that is not UTF-8 near byte 57"},
        {R"({"result":0,"out":{"listRemoteSimLog":[{"SO_NBR":-9223372036854775809}]}})",
         "refused at out.listRemoteSimLog[0].SO_NBR"},
        {R"({"result":0,"out":{"listRemoteSimLog":[{"SO_NBR":18446744073709551615}]}})",
         "refused at out.listRemoteSimLog[0].SO_NBR"},
        {R"({"result":0,"out":{"listRemoteSimLog":[{"NOPE":1}]})",
         "refused at out.listRemoteSimLog[0].NOPE"},
        {"\xEF\xBB\xBF"
         R"({"result":0,"out":{"listRemoteSimLog":[]}} x)",
         "malformed JSON near byte 47"},
    };
    expectEach(cases, readAnswer);
}

TEST(CodecReader, LoginAnswersAndTheErrorsOfRefusedCalls)
{
    const auto login = [](const std::string& text) {
        MSysmgntDef::SOperator op;
        std::string session;
        CBSErrorMsg error;
        return outcome([&] {
            const int result = tvd::wire::readLoginAnswer(text, op, session, error);
            return std::to_string(result) + " " + session + " " + error.message + " " +
                   tvd::wire::encode(op).dump();
        });
    };
    const Case cases[] = {
        {R"({"result":0,"session":"t0k","operator":{"OP_ID":7,"LOGIN_NAME":"admin"}})",
         R"(0 t0k no error {"LOGIN_NAME":"admin","OP_ID":7})"},
        {R"({"result":1,"error":{"code":1,"minCode":3,"message":"密码错误","hint":""}})",
         "1  密码错误 {}"},
        {R"({"result":1})", "refused at error"},
        {R"({"result":0,"operator":{"OP_ID":7}})", "refused at session"},
        {R"({"result":0,"session":"t0k"})", "refused at operator"},
        {R"({"result":0,"session":"t0k","operator":5})", "refused at operator"},
        {R"({"result":0,"session":"t0k","operator":{"NOPE":1}})", "refused at operator.NOPE"},
    };
    expectEach(cases, login);

    const auto error =
        tvd::wire::readAnswerError(R"({"result":-1,"error":{"code":-1,"minCode":413,)"
                                   R"("message":"请求过大","hint":"h"},"out":{"x":[1]}})");
    ASSERT_TRUE(error);
    EXPECT_EQ(error->message, "请求过大");
    EXPECT_FALSE(tvd::wire::readAnswerError("<html>502 Bad Gateway</html>"));
    EXPECT_FALSE(tvd::wire::readAnswerError(R"({"result":-1,"error":{"code":-1}})"));
}

TEST(CodecReader, AnAnswerReplacesTheListItIsReadInto)
{
    tvd::wire::OwnedParams out(*operation("RMOSMQ52").out);
    CBSErrorMsg error;
    tvd::wire::readAnswer(
        R"({"result":0,"out":{"listRemoteSimLog":[{"IMSI":"1","PHONE1":"139"},{"IMSI":"2"}]}})",
        out.params(), error);
    tvd::wire::readAnswer(R"({"result":0,"out":{"listRemoteSimLog":[{"IMSI":"3"}]}})", out.params(),
                          error);
    EXPECT_EQ(written(out.params()), R"({"listRemoteSimLog":[{"IMSI":"3"}]})")
        << "no member of an earlier answer's record is left";

    // An answer larger than the buffers a thread keeps (128 KiB), then a small one again.
    std::string large = R"({"result":0,"out":{"listRemoteSimLog":[)";
    for (int i = 0; i < 6000; ++i)
        large += R"({"IMSI":"460020000)" + std::to_string(100000 + i) + R"(","OP_ID":7},)";
    large.back() = ']';
    large += "}}";
    tvd::wire::readAnswer(large, out.params(), error);
    const auto& read = static_cast<SRemoteSimLogList&>(out.object(0));
    ASSERT_EQ(read.size(), 6000u);
    EXPECT_EQ(read[5999].IMSI, "460020000105999");
    tvd::wire::readAnswer(R"({"result":0,"out":{"listRemoteSimLog":[{"IMSI":"4"}]}})", out.params(),
                          error);
    EXPECT_EQ(written(out.params()), R"({"listRemoteSimLog":[{"IMSI":"4"}]})");
}

namespace {

// The text of a request adding cards 0 to 6, with the op info after the list; card n has STS -n.
std::string addRequest(SRemoteSimInfoList& cards)
{
    for (int i = 0; i < 7; ++i) {
        SRemoteSimInfo card;
        card.set_IMSI("46002" + std::to_string(1000000000 + i));
        card.set_STS(static_cast<std::int16_t>(-i));
        cards.push_back(card);
    }
    return R"({"in":{"listRemoteSimInfo":)" + tvd::wire::encode(cards).dump() +
           R"(,"sOpInfo":{"OP_ID":7}}})";
}

std::string replaced(std::string text, const std::string& what, const std::string& by)
{
    const std::size_t at = text.find(what);
    if (at == std::string::npos)
        ADD_FAILURE() << what << " is not in the request";
    return at == std::string::npos ? text : text.replace(at, what.size(), by);
}

} // namespace

TEST(CodecReader, AListReadInChunksGivesEachRecordOnceAndPathsCountTheRecordsBefore)
{
    SRemoteSimInfoList cards;
    const std::string text = addRequest(cards);

    std::vector<int> sizes;
    SRemoteSimInfoList taken;
    const tvd::wire::ListChunks chunks{
        3, [&](const CTvdBasicListObject& records) {
            sizes.push_back(records.count());
            for (int i = 0; i < records.count(); ++i)
                taken.push_back(static_cast<const SRemoteSimInfo&>(records.element(i)));
            return true;
        }};
    EXPECT_EQ(readRequest(text, "RMOSMQ25", kUnbounded, &chunks),
              R"({"listRemoteSimInfo":[],"sOpInfo":{"OP_ID":7}})")
        << "the op info read after the list, the list's records taken";
    EXPECT_EQ(sizes, (std::vector<int>{3, 3, 1}));
    EXPECT_EQ(tvd::wire::encode(taken), tvd::wire::encode(cards));
    EXPECT_EQ(readRequest(replaced(text, R"(}],"sOpInfo")", R"(},3],"sOpInfo")"), "RMOSMQ25",
                          kUnbounded, &chunks),
              "refused at in.listRemoteSimInfo[7]");
}

TEST(CodecReader, ATakerThatStopsEndsTheReadingOfValuesButNotTheChecksOfTheText)
{
    SRemoteSimInfoList cards;
    const std::string text = replaced(addRequest(cards), R"("STS":-5)", R"("STS":"x")");
    int takes = 0;
    const tvd::wire::ListChunks chunks{2, [&](const CTvdBasicListObject&) {
                                           ++takes;
                                           return false;
                                       }};
    tvd::wire::OwnedParams in(*operation("RMOSMQ25").in);
    EXPECT_TRUE(tvd::wire::readRequest(text, in.params(), kUnbounded, &chunks));
    EXPECT_EQ(takes, 1);
    EXPECT_EQ(readRequest(text, "RMOSMQ25"), "refused at in.listRemoteSimInfo[5].STS");

    // A fault of the text after the stop is still refused.
    const std::string tooLong =
        replaced(text, R"("STS":"x")", R"("REMARK":")" + std::string(16, 'x') + "\"");
    EXPECT_EQ(readRequest(tooLong, "RMOSMQ25", {8, 15}, &chunks),
              R"(a string of 16 bytes after member "REMARK")");
    EXPECT_EQ(takes, 2);
}
