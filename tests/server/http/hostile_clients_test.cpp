// rsimd under hostile and unlucky clients, spoken to over raw loopback sockets: slow, stalled
// and idle connections must not keep a normal client waiting; every malformed request gets a
// clear 4xx at once, without internals; bodies are bounded however they are framed.
#include "gzip.h"
#include "raw_http.h"
#include "rsimd_process.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <thread>

namespace {

using namespace rawhttp;

constexpr int kWorkers = 4;
const std::string kLogin = R"({"login":"admin","password":"admin123"})";
const std::string kProvinceQuery = "/v1/call/MResRemoteMgntApp_IResRemoteMgnt/RMOSMQ04";
const std::string kProvinceAdd = "/v1/call/MResRemoteMgntApp_IResRemoteMgnt/RMOSMQ01";

class HostileClients : public ::testing::Test {
protected:
    void start(const std::vector<std::string>& arguments = {})
    {
        server_ = std::make_unique<testsupport::RsimdProcess>(
            testsupport::RsimdProcess::Backend::Sqlite, kWorkers, arguments);
    }

    HttpAnswer exchange(const std::string& request)
    {
        return rawhttp::exchange(server_->port(), request);
    }

    std::string session()
    {
        return exchange(post("/v1/login", kLogin)).document().value("session", "");
    }

    std::unique_ptr<testsupport::RsimdProcess> server_;
};

// One address (127.0.0.2) opens ten times the workers' connections, more than its share, slow
// and stalled; without the share it would take every connection the service allows.
TEST_F(HostileClients, SlowStalledAndFloodingClientsOfOneAddressDoNotHoldUpOthers)
{
    start({"--connections-per-address", "16", "--max-connections", "24"});
    std::vector<std::unique_ptr<Socket>> hostile;
    for (int i = 0; i < 10 * kWorkers; ++i) {
        hostile.push_back(std::make_unique<Socket>(server_->port(), "127.0.0.2"));
        // Half send a request line and stop; half stop in the middle of a body.
        hostile.back()->send(
            i % 2 ? "POST /v1/login HTTP/1.1\r\nHost: x\r\n"
                  : "POST /v1/login HTTP/1.1\r\nContent-Length: 100\r\n\r\n{\"login\":");
    }
    // A normal client's call, answered while the hostile connections are still held open.
    EXPECT_NE(session(), "");
    for (auto& socket : hostile)
        socket->send("X"); // a byte a second, as it were
    EXPECT_NE(session(), "");

    // Over all addresses the service takes no more than its connections: with 16 from one
    // address and 8 from another held open, one more is closed unanswered.
    for (int i = 0; i < 8; ++i) {
        hostile.push_back(std::make_unique<Socket>(server_->port(), "127.0.0.3"));
        hostile.back()->send("POST /v1/login HTTP/1.1\r\nHost: x\r\n");
    }
    Socket beyond(server_->port());
    beyond.send(post("/v1/login", kLogin));
    EXPECT_EQ(beyond.read().status, -1) << "a connection beyond --max-connections is closed";
}

// Four stalled chunked bodies of 700 KiB, were they taken before their session, would hold more
// than the whole body budget (twice the largest body, 2 MiB here).
TEST_F(HostileClients, StalledChunkedRequestsHoldTheBodyBudgetOnlyOnceAdmitted)
{
    start({"--max-body", "1"});
    const auto stall = [&](const std::string& headers, std::size_t bytes) {
        auto socket = std::make_unique<Socket>(server_->port());
        char size[16];
        std::snprintf(size, sizeof size, "%zx\r\n", bytes);
        socket->send("POST " + kProvinceAdd + " HTTP/1.1\r\nHost: x\r\n" + headers +
                     "Transfer-Encoding: chunked\r\n\r\n" + size + std::string(bytes, ' '));
        return socket;
    };
    std::vector<std::unique_ptr<Socket>> stalled;
    for (int i = 0; i < 4; ++i)
        stalled.push_back(stall("", 700 * 1024));
    const auto write = [&](std::size_t padding) {
        const std::string body = R"({"in":{"sOpInfo":{"OP_ID":1},"listResRemoteProvCode":)"
                                 R"([{"PROVINCE_CODE":"97","PROVINCE_NAME":"九七"}]})" +
                                 std::string(padding, ' ') + "}";
        return exchange(post(kProvinceAdd, body, "X-Tav-Session: " + session() + "\r\n"));
    };
    const HttpAnswer written = write(100 * 1024);
    EXPECT_EQ(written.status, 200);
    EXPECT_EQ(written.document().value("result", -1), 0) << written.body;

    const std::string admitted = "X-Tav-Session: " + session() + "\r\n";
    for (int i = 0; i < 2; ++i)
        stalled.push_back(stall(admitted, 1000 * 1000));
    const auto held = [&] {
        const std::string text = rawhttp::exchange(server_->metricsPort(), get("/metrics")).body;
        const auto at = text.find("\nrsimd_request_body_bytes_held ");
        return at == std::string::npos ? 0.0 : std::stod(text.substr(at + 31));
    };
    for (int tries = 0; tries < 100 && held() < 1.8e6; ++tries)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_GE(held(), 1.8e6) << "two admitted bodies spooled";
    const HttpAnswer refused = write(500 * 1024);
    EXPECT_EQ(refused.status, 503) << refused.body;
    EXPECT_EQ(refused.document()["error"].value("hint", ""), "同时进行的大请求过多");
}

// The two bounds apart: a kept-alive connection that says nothing goes at the idle timeout; a
// request that keeps sending (above the minimum rate) goes only at the whole-request deadline.
TEST_F(HostileClients, TheIdleTimeoutCutsASilentConnectionAndTheDeadlineATricklingRequest)
{
    start(
        {"--idle-timeout", "1", "--request-timeout", "4", "--min-rate", "1", "--rate-grace", "60"});
    const auto secondsSince = [](std::chrono::steady_clock::time_point start) {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    Socket silent(server_->port());
    silent.send(post("/v1/login", kLogin));
    ASSERT_EQ(silent.read().status, 200);
    auto since = std::chrono::steady_clock::now();
    EXPECT_EQ(silent.read().status, -1) << "closed";
    const double idle = secondsSince(since);

    Socket trickling(server_->port());
    trickling.send("POST /v1/login HTTP/1.1\r\n");
    since = std::chrono::steady_clock::now();
    while (secondsSince(since) < 10 && trickling.send("X-Pad: x\r\n"))
        ::usleep(250 * 1000);
    const double deadline = secondsSince(since);
    EXPECT_LT(idle, 2.5) << "closed at the idle timeout (1 s)";
    EXPECT_GT(deadline, 3.5) << "a request still sending outlives the idle timeout";
    EXPECT_LT(deadline, 6.5) << "and is cut at the request deadline (4 s)";
}

// TLS 1.2 is spoken in AEAD suites with forward secrecy only, in the server's order. A handshake
// is not yet a request: one that never comes goes at the idle timeout, and a stop closes those
// still waiting for theirs at once.
TEST_F(HostileClients, TlsChoosesItsOwnAeadSuitesAndStalledHandshakesGoAtTheIdleTimeoutOrAStop)
{
    const testsupport::TemporaryFolder folder;
    auto arguments = testsupport::selfSignedTls(folder.path());
    arguments.insert(arguments.end(), {"--idle-timeout", "3"});
    start(arguments);
    const auto secondsSince = [](std::chrono::steady_clock::time_point start) {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    Socket silent(server_->port());
    auto since = std::chrono::steady_clock::now();
    EXPECT_EQ(silent.read().status, -1);
    EXPECT_LT(secondsSince(since), 6) << "closed at the idle timeout (3 s)";

    const auto negotiated = [&](const std::string& ciphers) {
        FILE* client =
            ::popen(("openssl s_client -connect 127.0.0.1:" + std::to_string(server_->port()) +
                     " -tls1_2 -cipher " + ciphers + " </dev/null 2>&1")
                        .c_str(),
                    "r");
        std::string output;
        for (int c; (c = std::fgetc(client)) != EOF;)
            output += static_cast<char>(c);
        ::pclose(client);
        const std::size_t at = output.find("Cipher is ");
        return at == std::string::npos ? output
                                       : output.substr(at + 10, output.find('\n', at) - at - 10);
    };
    EXPECT_EQ(negotiated("ECDHE-RSA-AES128-GCM-SHA256:ECDHE-RSA-AES256-GCM-SHA384"),
              "ECDHE-RSA-AES256-GCM-SHA384");
    EXPECT_EQ(negotiated("ECDHE-RSA-AES256-SHA384:AES256-GCM-SHA384"), "(NONE)");

    std::vector<std::unique_ptr<Socket>> stalled;
    for (int i = 0; i < 5; ++i)
        stalled.push_back(std::make_unique<Socket>(server_->port()));
    since = std::chrono::steady_clock::now();
    EXPECT_EQ(server_->stop(), 0);
    EXPECT_LT(secondsSince(since), 1.5) << "a stop waits for no handshake";
}

// Over the limit however the body is framed: declared, chunked, inflated; within it, gzipped
// both ways or sent after a 100 Continue.
TEST_F(HostileClients, UnusableFramingsAndBodiesOverTheLimitAreAnsweredAtOnceOthersTravelGzipped)
{
    start({"--max-body", "4"});
    const std::string head = "POST " + kProvinceQuery + " HTTP/1.1\r\nHost: x\r\n";
    const std::vector<std::pair<std::string, int>> cases{
        {head + "\r\n", 411},
        {head + "Content-Length: -1\r\n\r\n", 400},
        {head + "Content-Length: 99999999999999999999999\r\n\r\n", 400},
        {head + "Transfer-Encoding: gzip\r\n\r\n", 400},
        // curl -X POST …/v1/logout sends neither length nor body: a logout needs none.
        {"POST /v1/logout HTTP/1.1\r\nHost: x\r\n\r\n", 200},
        // Refused on the declared length, before any of the body.
        {"POST /v1/login HTTP/1.1\r\nContent-Length: 1073741824\r\n\r\n", 413},
        {post("/v1/login", tvd::gzip(std::string(4 << 20, ' ')), "Content-Encoding: gzip\r\n"),
         413},
        {post("/v1/login", kLogin, "Content-Encoding: br\r\n"), 415}};
    for (const auto& [request, status] : cases)
        EXPECT_EQ(exchange(request).status, status) << request.substr(0, 80);
    EXPECT_EQ(exchange(head + "Transfer-Encoding: gzip\r\n\r\n").message(),
              "Transfer-Encoding 不合法");

    Socket chunked(server_->port());
    chunked.send("POST /v1/login HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n");
    const std::string chunk(64 * 1024, '[');
    for (int i = 0; i < 32 && chunked.send("10000\r\n" + chunk + "\r\n"); ++i) {
    }
    EXPECT_EQ(chunked.read().status, 413);

    // A chunk line or trailer that never ends is refused at a few KiB, not buffered as it comes.
    for (const std::string endless : {"1;", "0\r\nX-Pad: "}) {
        Socket socket(server_->port());
        socket.send("POST /v1/login HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n" + endless);
        for (int i = 0; i < 32 && socket.send(std::string(64 * 1024, 'a')); ++i) {
        }
        EXPECT_EQ(socket.read().message(), "请求体的分块行或尾部过长") << endless;
    }

    const std::string withSession = "X-Tav-Session: " + session() + "\r\n";
    const std::string query = R"({"in":{"sResRemoteProvCode":{}}})";
    Socket socket(server_->port());
    socket.send("POST " + kProvinceQuery + " HTTP/1.1\r\nHost: x\r\nExpect: 100-continue\r\n" +
                withSession + "Content-Length: " + std::to_string(query.size()) + "\r\n\r\n");
    EXPECT_EQ(socket.read().status, 100);
    socket.send(query);
    ASSERT_EQ(socket.read().status, 200);

    // A query's criteria are small: one announcing 2 MiB is refused before its body, which a
    // write may send.
    const std::string twoMiB =
        " HTTP/1.1\r\nContent-Length: 2097152\r\nExpect: 100-continue\r\n" + withSession + "\r\n";
    EXPECT_EQ(exchange("POST " + kProvinceQuery + twoMiB).status, 413);
    EXPECT_EQ(exchange("POST " + kProvinceAdd + twoMiB).status, 100);

    // A body that the network cut inside a chunk's size line ("2" now, "0" later) is whole.
    Socket split(server_->port());
    split.send("POST " + kProvinceQuery + " HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n" +
               withSession + "\r\n2");
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    split.send("0\r\n" + query + "\r\n0\r\n\r\n");
    const HttpAnswer splitAnswer = split.read();
    EXPECT_EQ(splitAnswer.status, 200);
    EXPECT_EQ(splitAnswer.document().value("result", -1), 0) << splitAnswer.body;

    // Two hundred demo cards are an answer worth compressing.
    const std::string cards = R"({"in":{"sIn":{"MAX_NUM":1000}}})" + std::string(100000, ' ');
    const std::string cardQuery = "/v1/call/MResRemoteMgntApp_IResRemoteMgnt/RMOSMQ28";
    const HttpAnswer plainCards = exchange(post(cardQuery, cards, withSession));
    const HttpAnswer zipped =
        exchange(post(cardQuery, tvd::gzip(cards),
                      "Content-Encoding: gzip\r\nAccept-Encoding: gzip\r\n" + withSession));
    ASSERT_EQ(zipped.status, 200);
    ASSERT_EQ(zipped.headers.at("content-encoding"), "gzip");
    std::string answer = zipped.body;
    ASSERT_EQ(tvd::gunzip(answer, 1 << 24), tvd::Gunzip::Done);
    EXPECT_EQ(answer, plainCards.body);
    EXPECT_GT(plainCards.body.size(), 2 * zipped.body.size());
}

TEST_F(HostileClients, MalformedJsonIsAClearRefusalWithoutInternals)
{
    start();
    const std::string withSession = "X-Tav-Session: " + session() + "\r\n";
    const auto province = [](const std::string& members) {
        return R"({"in":{"sResRemoteProvCode":{)" + members + "}}}";
    };
    const auto nested = [&](std::size_t levels) { // eight levels are the limit
        return province(R"("PROVINCE_NAME":)" + std::string(levels - 3, '[') +
                        std::string(levels - 3, ']'));
    };
    std::string many; // past the names an object compares in a list
    for (int i = 0; i < 100; ++i)
        many += "\"M" + std::to_string(i) + "\":" + std::to_string(i) + ",";
    const std::string deep = "请求的嵌套层次过深", twice = "请求中有重复的成员";
    struct Case {
        std::string body;
        std::string message; // empty: refused, but for none of the faults named here
        std::string hint = "";
    };
    const std::vector<Case> cases{
        {std::string(1 << 20, '['), deep},
        {nested(9), deep},
        {nested(8), ""},
        {province("\"PROVINCE_NAME\":\"\xff\xfe\""), "请求中的文本不是合法的UTF-8编码"},
        {province(R"("PROVINCE_NAME":"东\u0000")"), "请求中的文本含有空字符", "PROVINCE_NAME"},
        {province(R"("PROVINCE_NAME":"东","PROVINCE_NAME":"西")"), twice},
        {province(many + R"("M5":0)"), twice},
        {province(many + R"("M100":0)"), ""},
        {R"({"in":{"sResRemoteProvCode":{"PROVINCE_NAME":"东"},"x":{"PROVINCE_NAME":"西"}}})", ""},
        {province(R"("PROVINCE_NAME":")" + std::string(50000, 'x') + "\""), "请求中的文本过长",
         "PROVINCE_NAME"},
        {R"({"in":{"sResRemoteProvCode":)", "请求不是合法的JSON"}};
    for (const auto& [body, message, hint] : cases) {
        SCOPED_TRACE(body.substr(0, 60));
        const HttpAnswer answer = exchange(post(kProvinceQuery, body, withSession));
        EXPECT_EQ(answer.status, 400);
        if (message.empty()) {
            EXPECT_NE(answer.message(), deep);
            EXPECT_NE(answer.message(), twice);
        } else {
            EXPECT_EQ(answer.message(), message);
        }
        EXPECT_NE(answer.body.find(hint), std::string::npos) << "the hint names the member";
        for (const char* internal : {"parse_error", "SELECT", "syntax error"})
            EXPECT_EQ(answer.body.find(internal), std::string::npos) << answer.body;
        for (const auto& [name, value] : answer.headers)
            EXPECT_TRUE(name == "content-type" || name == "content-length" ||
                        name == "connection" || name == "accept-encoding")
                << name;
    }
}

} // namespace
