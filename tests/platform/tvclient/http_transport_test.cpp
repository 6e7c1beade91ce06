// The middleware's transport to rsimd: HTTPS verified against a named CA file, every fault a
// filled error record, and a call going on with the next address under one request id.
#include "loopback_port.h"
#include "raw_http.h"
#include "service_fixture.h"
#include "tvd_client.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <set>
#include <thread>
#include <tuple>

namespace {

using namespace MResRemoteMgntDef;
using MResRemoteMgntApp::IResRemoteMgnt;
using testsupport::RsimdProcess;

// rsimd over HTTPS with a self-signed certificate for 127.0.0.1, made with the openssl command.
class Https : public ::testing::Test {
protected:
    void SetUp() override
    {
        server_ = std::make_unique<RsimdProcess>(RsimdProcess::Backend::Sqlite, 4,
                                                 testsupport::selfSignedTls(folder_.path()));
        setenv("TAV_BROKER_TAVORINE", server_->address().c_str(), 1);
        unsetenv("TAV_CA_FILE");
    }
    void TearDown() override { tvd_setCaFile(""); }

    testsupport::TemporaryFolder folder_;
    const std::string certificate_ = folder_.path() + "/cert.pem";
    std::unique_ptr<RsimdProcess> server_;
};

// Refused with a clear message until the certificate verifies against the CA file named by the
// program, or by TAV_CA_FILE.
TEST_F(Https, CallsSucceedOnlyWhenTheCertificateVerifiesAgainstTheNamedCa)
{
    MSysmgntDef::SOperator op;
    CBSErrorMsg error;
    EXPECT_NE(tvd_login("TAVORINE", "admin", "admin123", op, error), 0);
    EXPECT_EQ(std::tie(error.code, error.minCode), std::tuple(-1, 2));
    EXPECT_NE(error.message.find("证书无法验证"), std::string::npos) << error.message;

    setenv("TAV_CA_FILE", certificate_.c_str(), 1);
    MSysSvcApp::ISysMgnt fromEnvironment;
    EXPECT_EQ(fromEnvironment.bind_tavBroker("TAVORINE"), 0) << fromEnvironment.bindError().hint;
    unsetenv("TAV_CA_FILE");

    tvd_setCaFile(certificate_);
    ASSERT_EQ(testsupport::logIn(server_->address()), "");
    MSysSvcApp::ISysMgnt sys;
    ASSERT_EQ(sys.bind_tavBroker("TAVORINE"), 0) << sys.bindError().hint;
    MSysSvcDef::SServerDateList now;
    EXPECT_EQ(sys.qry_currentDate(MSysSvcDef::SServerDate(), now, error, nullptr), 0)
        << error.message;
    EXPECT_EQ(now.count(), 1);
}

TEST(Transport, AnAddressOfAnotherSchemeIsRefusedWithAFilledErrorRecord)
{
    MSysSvcApp::ISysMgnt sys;
    EXPECT_NE(sys.bind("ftp://127.0.0.1:1"), 0);
    EXPECT_EQ(sys.bindError().minCode, 2);
    EXPECT_NE(sys.bindError().message.find("http://"), std::string::npos);
}

// An HTTP proxy on a loopback port in front of rsimd, one connection and one request at a time
// (each answer closes its connection). It notes the X-Tav-Request-Id of every request; while it
// has answers to drop (or to replace with 502, as a balancer whose server went does) it forwards
// a request to rsimd but closes the client's connection instead of passing the answer on. Once
// stopped, connections to it are refused.
class LoopbackProxy {
public:
    explicit LoopbackProxy(int upstreamPort) : listener_(testsupport::listenOnLoopback(port_))
    {
        relay_ = std::thread([this, upstreamPort] {
            for (int fd; (fd = ::accept(listener_, nullptr, nullptr)) >= 0;) {
                rawhttp::Socket client(rawhttp::Socket::Accepted{fd});
                rawhttp::HttpAnswer request = client.read();
                if (request.headers.contains("x-tav-request-id")) {
                    std::lock_guard lock(mutex_);
                    requestIds_.push_back(request.headers["x-tav-request-id"]);
                }
                rawhttp::HttpAnswer answer = rawhttp::exchange(upstreamPort, request.text());
                answer.head = answer.head.substr(0, answer.head.find("\r\n")) + "\r\n";
                for (const auto& [name, value] : answer.headers)
                    answer.head += name == "connection" ? "" : name + ": " + value + "\r\n";
                answer.head += "Connection: close";
                // Both count below zero, until set again.
                if (toFail_-- > 0)
                    client.send("HTTP/1.1 502 Bad Gateway\r\nContent-Length: 0\r\n\r\n");
                else if (toDrop_-- <= 0)
                    client.send(answer.text());
            }
        });
    }
    ~LoopbackProxy()
    {
        stop();
        ::close(listener_);
    }

    std::string address() const { return "http://127.0.0.1:" + std::to_string(port_); }
    void dropAnswers(int count) { toDrop_ = count; }
    void badGateway(int count) { toFail_ = count; }
    std::vector<std::string> requestIds()
    {
        std::lock_guard lock(mutex_);
        return requestIds_;
    }
    void stop()
    {
        if (relay_.joinable()) {
            ::shutdown(listener_, SHUT_RDWR);
            relay_.join();
        }
    }

private:
    int port_ = 0; // before listener_, whose opening sets it
    const int listener_;
    std::atomic<int> toDrop_{0};
    std::atomic<int> toFail_{0};
    std::thread relay_;
    std::mutex mutex_;
    std::vector<std::string> requestIds_;
};

class Failover : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_EQ(testsupport::logIn(service().address()), ""); }

    static int addProvince(IResRemoteMgnt& remote, const char* code)
    {
        CBSErrorMsg error;
        return remote.add_provinceCode({}, testsupport::provinces({{code, "备用线路省"}}), error,
                                       nullptr);
    }

    // -1 when the query failed.
    static int provinces(IResRemoteMgnt& remote, const char* code)
    {
        SResRemoteProvCode criteria;
        criteria.set_PROVINCE_CODE(code);
        SResRemoteProvCodeList found;
        CBSErrorMsg error;
        return remote.qry_provinceCode(criteria, found, error, nullptr) == 0 ? found.count() : -1;
    }

    static std::set<std::string> ids(LoopbackProxy& proxy)
    {
        const std::vector<std::string> seen = proxy.requestIds();
        return {seen.begin(), seen.end()};
    }

    static const RsimdProcess& service() { return testsupport::sharedRsimd(); }
};

TEST_F(Failover, CallsGoOnWithTheNextAddressWhenOneCannotBeReached)
{
    LoopbackProxy proxy(service().port());
    IResRemoteMgnt remote;
    // Nothing listens on port 1.
    ASSERT_EQ(remote.bind("http://127.0.0.1:1, " + proxy.address() + "," + service().address()), 0);
    EXPECT_EQ(remote.address(), proxy.address());
    EXPECT_EQ(provinces(remote, "FO1"), 0);

    proxy.stop(); // the address in use dies between two calls
    EXPECT_EQ(addProvince(remote, "FO1"), 0);
    EXPECT_EQ(remote.address(), service().address());
    EXPECT_EQ(provinces(remote, "FO1"), 1);

    IResRemoteMgnt nowhere;
    EXPECT_NE(nowhere.bind("http://127.0.0.1:1," + proxy.address()), 0);
    EXPECT_EQ(nowhere.bindError().message, "无法连接远程写卡管理服务");
}

TEST_F(Failover, ACallWhoseAnswerIsLostIsSentToTheNextAddressWithTheSameRequestId)
{
    LoopbackProxy losing(service().port());
    LoopbackProxy passing(service().port());
    IResRemoteMgnt writer;
    IResRemoteMgnt reader;
    ASSERT_EQ(writer.bind(losing.address() + "," + passing.address()), 0);
    ASSERT_EQ(reader.bind(losing.address() + "," + passing.address()), 0);
    losing.dropAnswers(1000);

    EXPECT_EQ(provinces(reader, "FO2"), 0);
    EXPECT_EQ(addProvince(writer, "FO2"), 0) << "the repeat is answered as the write was";
    // libcurl may send a request once more on a kept-alive connection that closed without an
    // answer: the ids, not the attempts, are counted.
    const std::set<std::string> lost = ids(losing);
    ASSERT_EQ(lost.size(), 2U) << "each call has an id of its own";
    EXPECT_EQ(lost.begin()->size(), 32U);
    EXPECT_EQ(ids(passing), lost) << "each call was sent again with its id";
    EXPECT_EQ(provinces(reader, "FO2"), 1) << "stored once";
}

// A single address is a balancer's: a call that it answered 502 goes to it once more.
TEST_F(Failover, ACallABalancerAnswered502IsSentToItOnceMore)
{
    LoopbackProxy balancer(service().port());
    IResRemoteMgnt remote;
    ASSERT_EQ(remote.bind(balancer.address()), 0);
    balancer.badGateway(1);
    EXPECT_EQ(addProvince(remote, "FO3"), 0) << "the repeat is answered as the write was";
    const std::vector<std::string> sent = balancer.requestIds();
    ASSERT_EQ(sent.size(), 2U);
    EXPECT_EQ(sent[0], sent[1]);
    balancer.badGateway(2);
    EXPECT_EQ(provinces(remote, "FO3"), -1) << "once more only";
    EXPECT_EQ(provinces(remote, "FO3"), 1) << "stored once";
}

} // namespace
