#include "form_harness.h"

#include <QByteArray>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cstdlib>
#include <stdexcept>

namespace formtest {
namespace {

struct Service {
    QTemporaryDir folder;
    QProcess process;
    std::string address;

    Service()
    {
        process.setProgram(RSIMD_PATH);
        process.setArguments({"--db", "sqlite:" + folder.filePath("rsim.db"), "--listen",
                              "127.0.0.1:0", "--seed", "demo"});
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start();
        if (!process.waitForStarted(10000))
            throw std::runtime_error("rsimd did not start");
        const QRegularExpression listening("listening on (http://[0-9.:]+)");
        QByteArray seen;
        while (address.empty() && process.waitForReadyRead(30000)) {
            seen += process.readAllStandardOutput();
            const auto match = listening.match(QString::fromUtf8(seen));
            if (match.hasMatch())
                address = match.captured(1).toStdString();
        }
        if (address.empty())
            throw std::runtime_error("rsimd did not say where it listens: " + seen.toStdString());
        setenv("TAV_BROKER_TAVORINE", address.c_str(), 1);
    }

    ~Service()
    {
        process.terminate();
        if (!process.waitForFinished(5000))
            process.kill();
    }
};

} // namespace

const std::string& ServiceAddress()
{
    static Service service;
    return service.address;
}

void FormHarness::SetUp()
{
    ServiceAddress();
    gui_ = std::make_unique<RecordingInteraction>();
    setGuiInteraction(gui_.get());
    LoginAs("admin", "admin123");
    auto calls = calls_;
    tvd_setCallObserver([calls](const std::string& iface, const std::string& code,
                                const std::string& in) { calls->push_back({iface, code, in}); });
}

void FormHarness::TearDown()
{
    tvd_setCallObserver({});
    setGuiInteraction(nullptr);
}

void FormHarness::LoginAs(const std::string& login, const std::string& password)
{
    CBSErrorMsg error;
    operator_ = MSysmgntDef::SOperator();
    ASSERT_EQ(tvd_login("TAVORINE", login, password, operator_, error), 0) << error.message;
}

std::vector<Call> FormHarness::Calls(const std::string& code) const
{
    std::vector<Call> matching;
    for (const auto& call : *calls_)
        if (code.empty() || call.code == code)
            matching.push_back(call);
    return matching;
}

void FormHarness::ClearCalls()
{
    calls_->clear();
}

} // namespace formtest
