// What the service answers to bad requests, and that it keeps serving whatever arrives.
#include "ResRemoteSimMgnt_tvd_c.h"
#include "raw_http.h"
#include "test_server.h"

#include <gtest/gtest.h>

namespace {

using namespace rsim::test;

constexpr const char* kQuery = "/v1/call/MResRemoteMgntApp_IResRemoteMgnt/RMOSMQ04";
constexpr std::size_t kMaxBody = 1 << 20;

class Malformed : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        TestServerOptions options;
        options.maxBodyBytes = kMaxBody;
        server_ = new TestServer(options);
        ASSERT_TRUE(server_->login("admin", "admin123"));
    }
    static void TearDownTestSuite() { delete server_; }

    static const std::string& address() { return server_->address(); }

    // A query through the middleware still answers.
    static void expectServing()
    {
        MResRemoteMgntApp::IResRemoteMgnt remote;
        ASSERT_EQ(remote.bind(address()), 0);
        MResRemoteMgntDef::SResRemoteProvCodeList all;
        CBSErrorMsg error;
        EXPECT_EQ(remote.qry_provinceCode(MResRemoteMgntDef::SResRemoteProvCode(), all, error, nullptr), 0)
            << error.message;
        EXPECT_GT(all.count(), 0);
    }

    static TestServer* server_;
};

TestServer* Malformed::server_ = nullptr;

TEST_F(Malformed, BadBodiesAreRefusedWithTheirFaultNamed)
{
    struct Case {
        const char* path;
        std::string body;
        int status;
        const char* message;
        const char* hintPart;
    };
    const Case cases[] = {
        {kQuery, "not json", 400, "请求不是合法的JSON", "parse error"},
        {kQuery, "", 400, "请求不是合法的JSON", ""},
        {kQuery, "{\"in\":{\"sResRemoteProvCode\":{\"PROVINCE_NAME\":\"\xff\xfe\"}}}", 400, "请求不是合法的JSON", ""},
        {kQuery, "[]", 400, "请求格式错误：缺少 \"in\"", "qry_provinceCode"},
        {kQuery, R"({"out":{}})", 400, "请求格式错误：缺少 \"in\"", ""},
        {kQuery, R"({"in":[]})", 400, "请求参数错误", "expected an object"},
        {kQuery, R"({"in":{"sResRemoteProvCode":{"PROVINCE_CODE":7}}})", 400, "请求参数错误",
         "in.sResRemoteProvCode.PROVINCE_CODE: expected a string"},
        {kQuery, R"({"in":{"sResRemoteProvCode":{"NO_SUCH":1}}})", 400, "请求参数错误", "in.sResRemoteProvCode.NO_SUCH"},
        {kQuery, R"({"in":{"bogus":{}}})", 400, "请求参数错误", "in.bogus"},
        {"/v1/call/MResRemoteMgntApp_IResRemoteMgnt/RMOSMQ99", R"({"in":{}})", 404,
         "接口 MResRemoteMgntApp_IResRemoteMgnt 没有操作 RMOSMQ99", "RMOSMQ99"},
        {"/v1/call/Nothing/RMOSMQ04", R"({"in":{}})", 404, "未知的接口：Nothing", ""},
        {"/v1/login", R"({"login":1,"password":"x"})", 400, "登录请求格式错误", "login"},
        {"/v1/login", "", 400, "登录请求格式错误", ""},
        {"/v1/elsewhere", "{}", 404, "没有这个地址", "POST /v1/elsewhere"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.path) + " " + c.body);
        const RawAnswer answer = post(address(), c.path, c.body);
        EXPECT_EQ(answer.status, c.status);
        ASSERT_TRUE(answer.body.is_object()) << "the answer is not JSON";
        EXPECT_EQ(answer.body["result"], -1);
        EXPECT_EQ(answer.body["error"]["code"], -1);
        EXPECT_EQ(answer.body["error"]["minCode"], c.status);
        EXPECT_EQ(answer.body["error"]["message"], c.message);
        EXPECT_NE(answer.body["error"]["hint"].get<std::string>().find(c.hintPart), std::string::npos)
            << answer.body["error"]["hint"];
    }
    expectServing();
}

TEST_F(Malformed, AnOversizedBodyIsRefusedWith413)
{
    std::string body = R"({"in":{"sResRemoteProvCode":{"PROVINCE_NAME":")";
    body += std::string(kMaxBody, 'x') + "\"}}}";
    const RawAnswer answer = post(address(), kQuery, body);
    EXPECT_EQ(answer.status, 413);
    EXPECT_EQ(answer.body["error"]["message"], "请求过大");
    EXPECT_EQ(answer.body["error"]["hint"], "请求体不能超过 1 MiB");
    expectServing();
}

TEST_F(Malformed, GarbageAndClientsThatDisappearLeaveTheServiceServing)
{
    const std::string garbage = sendBytes(address(), std::string("\x16\x03\x01\x00\xff garbage\r\n\r\n", 20));
    EXPECT_EQ(garbage.rfind("HTTP/1.1 400", 0), 0U) << garbage;
    EXPECT_NE(garbage.find("\"result\":-1"), std::string::npos);

    const std::string head = std::string("POST ") + kQuery + " HTTP/1.1\r\nHost: x\r\nContent-Type: application/json\r\n";
    sendAndDrop(address(), head + "Content-Length: 100000\r\n\r\n{\"in\":{\"sRes");  // killed mid-body
    sendAndDrop(address(), head);                                                    // killed mid-headers
    sendAndDrop(address(), "");                                                      // connected, nothing sent
    for (int i = 0; i < 50; ++i)
        sendAndDrop(address(), head + "Content-Length: 9\r\n\r\n{\"in\":{}}");        // gone before the answer
    expectServing();
}

} // namespace
