#include "form_harness.h"

#include "rsimd_process.h"

#include <cstdlib>

namespace formtest {
namespace {

const testsupport::RsimdProcess& Service()
{
    static testsupport::RsimdProcess service;
    static const bool pointed = setenv("TAV_BROKER_TAVORINE", service.address().c_str(), 1) == 0;
    (void)pointed;
    return service;
}

} // namespace

const std::string& ServiceAddress()
{
    return Service().address();
}

const std::string& ServiceDatabase()
{
    return Service().database();
}

void FormHarness::SetUp()
{
    ServiceAddress();
    gui_ = std::make_unique<RecordingInteraction>();
    setGuiInteraction(gui_.get());
    LoginAs("admin", "admin123");
    auto calls = calls_;
    tvd_setCallObserver(
        [calls](const std::string& iface, const std::string& code, const std::string& in) {
            calls->push_back({iface, code, in});
        });
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
