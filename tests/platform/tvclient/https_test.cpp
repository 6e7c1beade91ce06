// The middleware's transport to rsimd over HTTPS, with a certificate made for the test: calls
// work when the certificate verifies against the named CA file, and every fault of the transport
// (unverifiable certificate, wrong scheme, no binding; a closed port in failover_test) is a filled
// error record, never a throw.
#include "service_fixture.h"
#include "tvd_client.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using testsupport::RsimdProcess;

// rsimd over HTTPS with a self-signed certificate for 127.0.0.1, made with the openssl command.
class Https : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(std::system(("openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj "
                               "/CN=127.0.0.1 -addext subjectAltName=IP:127.0.0.1 -keyout " +
                               folder_.path() + "/key.pem -out " + certificate_ + " 2>/dev/null")
                                  .c_str()),
                  0)
            << "the openssl command could not make a certificate";
        server_ = std::make_unique<RsimdProcess>(
            RsimdProcess::Backend::Sqlite, 4,
            std::vector<std::string>{"--tls-cert", certificate_, "--tls-key",
                                     folder_.path() + "/key.pem"});
        setenv("TAV_BROKER_TAVORINE", server_->address().c_str(), 1);
        unsetenv("TAV_CA_FILE");
    }
    void TearDown() override { tvd_setCaFile(""); }

    testsupport::TemporaryFolder folder_;
    const std::string certificate_ = folder_.path() + "/cert.pem";
    std::unique_ptr<RsimdProcess> server_;
};

// The CA file named by the program, or by TAV_CA_FILE.
TEST_F(Https, CallsSucceedWhenTheCertificateVerifiesAgainstTheNamedCa)
{
    ASSERT_EQ(server_->address().rfind("https://", 0), 0U);
    setenv("TAV_CA_FILE", certificate_.c_str(), 1);
    MSysSvcApp::ISysMgnt fromEnvironment;
    EXPECT_EQ(fromEnvironment.bind_tavBroker("TAVORINE"), 0) << fromEnvironment.bindError().hint;
    unsetenv("TAV_CA_FILE");

    tvd_setCaFile(certificate_);
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
    MSysSvcDef::SServerDateList now;
    CBSErrorMsg error;
    EXPECT_NE(sys.qry_currentDate(MSysSvcDef::SServerDate(), now, error, nullptr), 0);
    EXPECT_EQ(error.minCode, 1) << "not bound";
}

} // namespace
