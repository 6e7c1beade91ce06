// rsimd under hostile and unlucky clients, spoken to over raw loopback sockets: slow, stalled
// and idle connections must not keep a normal client waiting; every malformed request gets a
// clear 4xx at once, without internals; bodies are bounded however they are framed.
#include "gzip.h"
#include "raw_http.h"
#include "rsimd_process.h"

#include <gtest/gtest.h>

namespace {

using namespace rawhttp;

constexpr int kWorkers = 4;
const std::string kLogin = R"({"login":"admin","password":"admin123"})";
const std::string kProvinceQuery = "/v1/call/MResRemoteMgntApp_IResRemoteMgnt/RMOSMQ04";

class HostileClients : public ::testing::Test {
protected:
    void start(const std::vector<std::string>& arguments = {})
    {
        server_ = std::make_unique<testsupport::RsimdProcess>(
            testsupport::RsimdProcess::Backend::Sqlite, kWorkers, arguments);
    }

    HttpAnswer exchange(const std::string& request)
    {
        Socket socket(server_->port());
        EXPECT_TRUE(socket.connected());
        socket.send(request);
        return socket.read();
    }

    std::string session()
    {
        return exchange(post("/v1/login", kLogin)).document().value("session", "");
    }

    // A normal client's call, answered while the hostile connections are still held open.
    void expectNormalClientServed()
    {
        const HttpAnswer answer = exchange(post("/v1/login", kLogin));
        EXPECT_EQ(answer.status, 200);
        EXPECT_TRUE(answer.document().contains("session"));
    }

    std::unique_ptr<testsupport::RsimdProcess> server_;
};

TEST_F(HostileClients, SlowAndStalledClientsAtTenTimesTheWorkersDoNotHoldUpOthers)
{
    start();
    std::vector<std::unique_ptr<Socket>> hostile;
    for (int i = 0; i < 10 * kWorkers; ++i) {
        hostile.push_back(std::make_unique<Socket>(server_->port(), "127.0.0.2"));
        // Half send a request line and stop; half stop in the middle of a body.
        hostile.back()->send(
            i % 2 ? "POST /v1/login HTTP/1.1\r\nHost: x\r\n"
                  : "POST /v1/login HTTP/1.1\r\nContent-Length: 100\r\n\r\n{\"login\":");
    }
    expectNormalClientServed();
    for (auto& socket : hostile)
        socket->send("X"); // a byte a second, as it were
    expectNormalClientServed();
}

TEST_F(HostileClients, IdleKeptAliveConnectionsDoNotHoldUpOthers)
{
    start();
    std::vector<std::unique_ptr<Socket>> idle;
    for (int i = 0; i < 10 * kWorkers; ++i) {
        idle.push_back(std::make_unique<Socket>(server_->port()));
        idle.back()->send("GET /v1/ping HTTP/1.1\r\nHost: x\r\n\r\n");
        ASSERT_EQ(idle.back()->read().status, 200);
    }
    expectNormalClientServed();
}

TEST_F(HostileClients, AStalledRequestOrAnIdleConnectionIsClosedAtItsDeadline)
{
    // A request's deadline is not the idle time of a connection between requests.
    start({"--request-timeout", "6", "--idle-timeout", "1"});
    Socket stalled(server_->port());
    stalled.send("POST /v1/login HTTP/1.1\r\nContent-Length: 100\r\n\r\n{\"login\":");
    Socket idle(server_->port());
    idle.send(post("/v1/login", kLogin));
    ASSERT_EQ(idle.read().status, 200);
    Socket trickling(server_->port());
    trickling.send("POST /v1/login HTTP/1.1\r\n");
    for (int i = 0; i < 4; ++i) {
        trickling.send("X");
        ::usleep(400 * 1000);
    }
    EXPECT_TRUE(trickling.open()) << "a request was cut at the idle time";
    EXPECT_TRUE(stalled.closedByPeer());
    EXPECT_TRUE(trickling.closedByPeer());
    EXPECT_TRUE(idle.closedByPeer());
}

TEST_F(HostileClients, APostWithoutAUsableLengthIsAnsweredAtOnce)
{
    start();
    const std::string head = "POST " + kProvinceQuery + " HTTP/1.1\r\nHost: x\r\n";
    EXPECT_EQ(exchange(head + "\r\n").status, 411);
    EXPECT_EQ(exchange(head + "Content-Length: -1\r\n\r\n").status, 400);
    EXPECT_EQ(exchange(head + "Content-Length: 99999999999999999999999\r\n\r\n").status, 400);
    const HttpAnswer unknownCoding = exchange(head + "Transfer-Encoding: gzip\r\n\r\n");
    EXPECT_EQ(unknownCoding.status, 400);
    EXPECT_EQ(unknownCoding.message(), "Transfer-Encoding 不合法");
    // curl -X POST …/v1/logout sends neither length nor body: a logout needs none.
    EXPECT_EQ(exchange("POST /v1/logout HTTP/1.1\r\nHost: x\r\n\r\n").status, 200);
}

TEST_F(HostileClients, BodiesOverTheLimitAreRefusedHoweverFramed)
{
    start({"--max-body", "1"});
    const HttpAnswer declared =
        exchange("POST /v1/login HTTP/1.1\r\nContent-Length: 1073741824\r\n\r\n");
    EXPECT_EQ(declared.status, 413) << "refused on the declared length, before any of the body";

    Socket chunked(server_->port());
    chunked.send("POST /v1/login HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n");
    const std::string chunk(64 * 1024, '[');
    for (int i = 0; i < 32 && chunked.send("10000\r\n" + chunk + "\r\n"); ++i) {
    }
    EXPECT_EQ(chunked.read().status, 413);

    const std::string bomb = tvd::gzip(std::string(4 * 1024 * 1024, ' '));
    const HttpAnswer inflated = exchange(post("/v1/login", bomb, "Content-Encoding: gzip\r\n"));
    EXPECT_EQ(inflated.status, 413);
    EXPECT_EQ(exchange(post("/v1/login", kLogin, "Content-Encoding: br\r\n")).status, 415);
}

TEST_F(HostileClients, MalformedJsonIsAClearRefusalWithoutInternals)
{
    start();
    const std::string token = session();
    const std::string withSession = "X-Tav-Session: " + token + "\r\n";
    const auto call = [&](const std::string& body) {
        return exchange(post(kProvinceQuery, body, withSession));
    };

    const HttpAnswer nested = call(std::string(1 << 20, '['));
    EXPECT_EQ(nested.status, 400);
    EXPECT_EQ(nested.message(), "请求的嵌套层次过深");
    // Eight levels are the limit: read, and refused only for what they hold; nine are too deep.
    const auto nestedTo = [&](std::size_t levels) {
        return call(R"({"in":{"sResRemoteProvCode":{"PROVINCE_NAME":)" +
                    std::string(levels - 3, '[') + std::string(levels - 3, ']') + "}}}");
    };
    const HttpAnswer atTheLimit = nestedTo(8);
    EXPECT_EQ(atTheLimit.status, 400);
    EXPECT_NE(atTheLimit.message(), "请求的嵌套层次过深");
    EXPECT_EQ(nestedTo(9).message(), "请求的嵌套层次过深");

    const HttpAnswer badText =
        call("{\"in\":{\"sResRemoteProvCode\":{\"PROVINCE_NAME\":\"\xff\xfe\"}}}");
    EXPECT_EQ(badText.status, 400);
    EXPECT_EQ(badText.message(), "请求中的文本不是合法的UTF-8编码");

    const HttpAnswer duplicate =
        call(R"({"in":{"sResRemoteProvCode":{"PROVINCE_NAME":"东","PROVINCE_NAME":"西"}}})");
    EXPECT_EQ(duplicate.status, 400);
    EXPECT_EQ(duplicate.message(), "请求中有重复的成员");

    // Past the names an object compares in a list, and in a second object at the same depth.
    std::string many;
    for (int i = 0; i < 100; ++i)
        many += "\"M" + std::to_string(i) + "\":" + std::to_string(i) + ",";
    const HttpAnswer lateDuplicate =
        call(R"({"in":{"sResRemoteProvCode":{)" + many + R"("M5":0}}})");
    EXPECT_EQ(lateDuplicate.message(), "请求中有重复的成员");
    const HttpAnswer distinct = call(R"({"in":{"sResRemoteProvCode":{)" + many + R"("M100":0}}})");
    EXPECT_EQ(distinct.status, 400);
    EXPECT_NE(distinct.message(), "请求中有重复的成员") << "a hundred distinct names";
    const HttpAnswer siblings =
        call(R"({"in":{"sResRemoteProvCode":{"PROVINCE_NAME":"东"},"x":{"PROVINCE_NAME":"西"}}})");
    EXPECT_NE(siblings.message(), "请求中有重复的成员") << "the same name in two objects";

    const HttpAnswer longName = call(R"({"in":{"sResRemoteProvCode":{"PROVINCE_NAME":")" +
                                     std::string(50000, 'x') + "\"}}}");
    EXPECT_EQ(longName.status, 400);
    EXPECT_EQ(longName.message(), "请求中的文本过长");
    EXPECT_NE(longName.body.find("PROVINCE_NAME"), std::string::npos)
        << "the hint names the member";

    const HttpAnswer truncated = call(R"({"in":{"sResRemoteProvCode":)");
    EXPECT_EQ(truncated.status, 400);
    EXPECT_EQ(truncated.message(), "请求不是合法的JSON");

    for (const auto* answer : {&nested, &badText, &duplicate, &longName, &truncated}) {
        EXPECT_EQ(answer->body.find("parse_error"), std::string::npos) << answer->body;
        EXPECT_EQ(answer->body.find("SELECT"), std::string::npos) << answer->body;
        EXPECT_EQ(answer->body.find("syntax error"), std::string::npos) << answer->body;
        for (const auto& [name, value] : answer->headers)
            EXPECT_TRUE(name == "content-type" || name == "content-length" ||
                        name == "connection" || name == "accept-encoding")
                << name;
    }
}

TEST_F(HostileClients, LargeBodiesTravelGzippedAndAfterAHundredContinue)
{
    start();
    const std::string token = session();
    const std::string query = R"({"in":{"sResRemoteProvCode":{}}})";
    Socket socket(server_->port());
    socket.send("POST " + kProvinceQuery +
                " HTTP/1.1\r\nHost: x\r\nExpect: 100-continue\r\nX-Tav-Session: " + token +
                "\r\nContent-Length: " + std::to_string(query.size()) + "\r\n\r\n");
    EXPECT_EQ(socket.read().status, 100);
    socket.send(query);
    const HttpAnswer plain = socket.read();
    ASSERT_EQ(plain.status, 200);

    // Two hundred demo cards are an answer worth compressing.
    const std::string cards = R"({"in":{"sIn":{"MAX_NUM":1000}}})" + std::string(100000, ' ');
    const std::string headers = "Accept-Encoding: gzip\r\nX-Tav-Session: " + token + "\r\n";
    const std::string cardQuery = "/v1/call/MResRemoteMgntApp_IResRemoteMgnt/RMOSMQ28";
    const HttpAnswer plainCards =
        exchange(post(cardQuery, cards, "X-Tav-Session: " + token + "\r\n"));
    const HttpAnswer zipped =
        exchange(post(cardQuery, tvd::gzip(cards), "Content-Encoding: gzip\r\n" + headers));
    ASSERT_EQ(zipped.status, 200);
    ASSERT_EQ(zipped.headers.at("content-encoding"), "gzip");
    std::string answer = zipped.body;
    ASSERT_EQ(tvd::gunzip(answer, 1 << 24), tvd::Gunzip::Done);
    EXPECT_EQ(answer, plainCards.body);
    EXPECT_GT(plainCards.body.size(), 2 * zipped.body.size());
}

} // namespace
