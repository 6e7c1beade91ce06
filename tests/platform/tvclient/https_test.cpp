// The middleware's transport to rsimd over HTTPS, with a certificate made for the test: calls
// work when the certificate verifies against the named CA file, and every fault of the transport
// (unverifiable certificate, closed port, wrong scheme) is a filled error record, never a throw.
#include "service_fixture.h"
#include "tvd_client.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using testsupport::RsimdProcess;

// A self-signed certificate for 127.0.0.1 in a fresh folder, made with the openssl command.
class TestCertificate {
public:
    TestCertificate()
    {
        const std::string command =
            "openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=127.0.0.1"
            " -addext subjectAltName=IP:127.0.0.1 -keyout " +
            key() + " -out " + certificate() + " 2>/dev/null";
        made_ = std::system(command.c_str()) == 0;
    }

    bool made() const { return made_; }
    std::string certificate() const { return folder_.path() + "/cert.pem"; }
    std::string key() const { return folder_.path() + "/key.pem"; }

private:
    testsupport::TemporaryFolder folder_;
    bool made_ = false;
};

class Https : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(certificate_.made()) << "the openssl command could not make a certificate";
        server_ = std::make_unique<RsimdProcess>(
            RsimdProcess::Backend::Sqlite, 4,
            std::vector<std::string>{"--tls-cert", certificate_.certificate(), "--tls-key",
                                     certificate_.key()});
        setenv("TAV_BROKER_TAVORINE", server_->address().c_str(), 1);
        unsetenv("TAV_CA_FILE");
    }
    void TearDown() override { tvd_setCaFile(""); }

    TestCertificate certificate_;
    std::unique_ptr<RsimdProcess> server_;
};

// The CA file named by the program, or by TAV_CA_FILE.
TEST_F(Https, CallsSucceedWhenTheCertificateVerifiesAgainstTheNamedCa)
{
    ASSERT_EQ(server_->address().rfind("https://", 0), 0U);
    setenv("TAV_CA_FILE", certificate_.certificate().c_str(), 1);
    MSysSvcApp::ISysMgnt fromEnvironment;
    EXPECT_EQ(fromEnvironment.bind_tavBroker("TAVORINE"), 0) << fromEnvironment.bindError().hint;
    unsetenv("TAV_CA_FILE");

    tvd_setCaFile(certificate_.certificate());
    ASSERT_EQ(testsupport::logIn(server_->address()), "");
    CBSErrorMsg error;
    MSysSvcApp::ISysMgnt sys;
    ASSERT_EQ(sys.bind_tavBroker("TAVORINE"), 0) << sys.bindError().hint;
    MSysSvcDef::SServerDateList now;
    EXPECT_EQ(sys.qry_currentDate(MSysSvcDef::SServerDate(), now, error, nullptr), 0)
        << error.message;
    EXPECT_EQ(now.count(), 1);
}

TEST_F(Https, AnUnverifiableCertificateIsRefusedWithAClearMessage)
{
    MSysmgntDef::SOperator op;
    CBSErrorMsg error;
    EXPECT_NE(tvd_login("TAVORINE", "admin", "admin123", op, error), 0);
    EXPECT_EQ(error.code, -1);
    EXPECT_EQ(error.minCode, 2);
    EXPECT_NE(error.message.find("证书无法验证"), std::string::npos) << error.message;
}

TEST(Transport, EveryFaultIsAFilledErrorRecord)
{
    MSysSvcApp::ISysMgnt sys;
    EXPECT_NE(sys.bind("ftp://127.0.0.1:1"), 0);
    EXPECT_EQ(sys.bindError().minCode, 2);
    EXPECT_NE(sys.bindError().message.find("http://"), std::string::npos);
    EXPECT_NE(sys.bind("http://127.0.0.1:1"), 0); // nothing listens on port 1
    EXPECT_EQ(sys.bindError().message, "无法连接远程写卡管理服务");
    MSysSvcDef::SServerDateList now;
    CBSErrorMsg error;
    EXPECT_NE(sys.qry_currentDate(MSysSvcDef::SServerDate(), now, error, nullptr), 0);
    EXPECT_EQ(error.minCode, 1) << "not bound";
}

} // namespace
