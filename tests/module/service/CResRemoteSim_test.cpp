// Every operation once through CResRemoteSim against a real rsimd, and the error-record rule.
#include "CResRemoteSim.h"
#include "form_harness.h"
#include "guiexception.h"

#include <QComboBox>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

using formtest::FormHarness;
using namespace MResRemoteMgntDef;

namespace {

class RemoteSim : public FormHarness {
protected:
    void SetUp() override
    {
        FormHarness::SetUp();
        sim_.Init(0, operator_.REGION_CODE, operator_.COUNTY_CODE, operator_.ORG_ID,
                  operator_.OP_ID);
        info_.set_REGION_CODE(10);
        info_.set_COUNTY_CODE(1001);
        info_.set_ORG_ID(100101);
        info_.set_OP_ID(operator_.OP_ID);
    }
    CResRemoteSim sim_;
    MResRemoteMgntApp::SOpInfo info_;
};

// Adds one record of a family, queries it back by its default criteria, modifies and deletes it.
template <class List, class Criteria>
void roundTrip(
    CResRemoteSim& sim, const MResRemoteMgntApp::SOpInfo& info, List& one,
    bool (CResRemoteSim::*add)(const MResRemoteMgntApp::SOpInfo&, const List&, CBSErrorMsg&),
    bool (CResRemoteSim::*mod)(const MResRemoteMgntApp::SOpInfo&, const List&, CBSErrorMsg&),
    bool (CResRemoteSim::*del)(const MResRemoteMgntApp::SOpInfo&, const List&, CBSErrorMsg&),
    bool (CResRemoteSim::*qry)(const Criteria&, List&, CBSErrorMsg&))
{
    CBSErrorMsg error;
    EXPECT_TRUE((sim.*add)(info, one, error)) << error.message << " " << error.hint;
    List found;
    EXPECT_TRUE((sim.*qry)(Criteria(), found, error)) << error.message;
    EXPECT_GE(found.count(), 1);
    EXPECT_TRUE((sim.*mod)(info, one, error)) << error.message << " " << error.hint;
    EXPECT_TRUE((sim.*del)(info, one, error)) << error.message << " " << error.hint;
    EXPECT_FALSE((sim.*del)(info, one, error));
    EXPECT_EQ(error.message, "要删除的记录不存在");
}

template <class List>
auto& first(List& list)
{
    return *static_cast<typename List::value_type*>(list.append());
}

TEST_F(RemoteSim, EveryFamilyAddsQueriesModifiesAndDeletes)
{
    SResRemoteProvCodeList provinces;
    first(provinces).set_PROVINCE_CODE("81");
    provinces[0].set_PROVINCE_NAME("测试");
    roundTrip(sim_, info_, provinces, &CResRemoteSim::add_provinceCode,
              &CResRemoteSim::mod_provinceCode, &CResRemoteSim::del_provinceCode,
              &CResRemoteSim::qry_provinceCode);

    SResRemoteCardTypeList cards;
    first(cards).set_CARD_TYPE("T9");
    roundTrip(sim_, info_, cards, &CResRemoteSim::add_cardType, &CResRemoteSim::mod_cardType,
              &CResRemoteSim::del_cardType, &CResRemoteSim::qry_cardType);

    SResRemoteVendorCodeList vendors;
    first(vendors).set_VENDOR_CODE("V9");
    roundTrip(sim_, info_, vendors, &CResRemoteSim::add_vendorCode, &CResRemoteSim::mod_vendorCode,
              &CResRemoteSim::del_vendorCode, &CResRemoteSim::qry_vendorCode);

    SResRemoteMsisdnGroupList groups;
    first(groups).set_MSISDN_GROUP("G9");
    groups[0].set_PROVINCE_CODE("44");
    roundTrip(sim_, info_, groups, &CResRemoteSim::add_msisdnGroup, &CResRemoteSim::mod_msisdnGroup,
              &CResRemoteSim::del_msisdnGroup, &CResRemoteSim::qry_msisdnGroup);

    SResRemoteImsiMsisdnGrpList imsi;
    first(imsi).set_MSISDN_GROUP("G01");
    imsi[0].set_FIRST_IMSI("460008000000000");
    imsi[0].set_LAST_IMSI("460008000000099");
    roundTrip(sim_, info_, imsi, &CResRemoteSim::add_imsiMsisdnGrp,
              &CResRemoteSim::mod_imsiMsisdnGrp, &CResRemoteSim::del_imsiMsisdnGrp,
              &CResRemoteSim::qry_imsiMsisdnGrp);

    SResRemoteMsisdnGrpList msisdn;
    first(msisdn).set_MSISDN_GROUP("G01");
    msisdn[0].set_FIRST_MSISDN("13909000000");
    msisdn[0].set_LAST_MSISDN("13909000099");
    roundTrip(sim_, info_, msisdn, &CResRemoteSim::add_msisdnGrp, &CResRemoteSim::mod_msisdnGrp,
              &CResRemoteSim::del_msisdnGrp, &CResRemoteSim::qry_msisdnGrp);

    SRemoteSimInfoList sims;
    first(sims).set_IMSI("460007000000001");
    sims[0].set_SIM_ID("89860070000000000001");
    roundTrip(sim_, info_, sims, &CResRemoteSim::add_simInfo, &CResRemoteSim::mod_simInfo,
              &CResRemoteSim::del_simInfo, &CResRemoteSim::qry_simInfo);

    SResRemoteCardVendorDllList dlls;
    first(dlls).set_PROVINCE_CODE("44");
    dlls[0].set_VENDOR_CODE("V02");
    dlls[0].set_CARD_TYPE("C128");
    dlls[0].set_DLL_NAME("x.dll");
    roundTrip(sim_, info_, dlls, &CResRemoteSim::add_cardVendorDll,
              &CResRemoteSim::mod_cardVendorDll, &CResRemoteSim::del_cardVendorDll,
              &CResRemoteSim::qry_cardVendorDll);

    SResRemoteDllErrMsgList errors;
    first(errors).set_VENDOR_CODE("V02");
    errors[0].set_CARD_TYPE("C64");
    errors[0].set_DLL_NAME("dfky.dll");
    errors[0].set_ERR_CODE("E9");
    roundTrip(sim_, info_, errors, &CResRemoteSim::add_cardErrMsg, &CResRemoteSim::mod_cardErrMsg,
              &CResRemoteSim::del_cardErrMsg, &CResRemoteSim::qry_cardErrMsg);

    SResRemoteAucInfoList aucs;
    first(aucs).set_PROVINCE_CODE("44");
    aucs[0].set_VENDOR_CODE("V01");
    aucs[0].set_CARD_TYPE("C64");
    aucs[0].set_SIM_SEQUENCE("AUC9");
    roundTrip(sim_, info_, aucs, &CResRemoteSim::add_aucVerifyInfo,
              &CResRemoteSim::mod_aucVerifyInfo, &CResRemoteSim::del_aucVerifyInfo,
              &CResRemoteSim::qry_aucVerifyInfo);

    SResRemoteSysAucList rights;
    first(rights).set_SIM_SEQUENCE("AUC9");
    rights[0].set_ENT_TYPE(1);
    rights[0].set_ENT_CODE("9");
    roundTrip(sim_, info_, rights, &CResRemoteSim::add_aucSysInfo, &CResRemoteSim::mod_aucSysInfo,
              &CResRemoteSim::del_aucSysInfo, &CResRemoteSim::qry_aucSysInfo);
    EXPECT_EQ(Calls().size(), 11U * 5);
}

TEST_F(RemoteSim, InquiriesAnswer)
{
    CBSErrorMsg error;
    SPsNetNumberList numbers;
    EXPECT_TRUE(sim_.qry_psNetNumber(SQryPsNetNumberIn(), numbers, error));
    EXPECT_EQ(numbers.count(), 5);
    SPsNetImsiList imsis;
    EXPECT_TRUE(sim_.qry_psNetImsiList(SQryPsNetImsiIn(), imsis, error));
    EXPECT_EQ(imsis.count(), 5);
    SQryRemoteSimLogIn span;
    span.set_BEGIN_OP_TIME(CBSDateTime(2026, 11, 1, 0, 0, 0));
    span.set_END_OP_TIME(CBSDateTime(2026, 11, 2, 23, 59, 59));
    SRemoteSimLogList logs;
    EXPECT_TRUE(sim_.qry_remoteSimLog(span, logs, error));
    EXPECT_GE(logs.count(), 1);
    for (const auto& log : logs)
        EXPECT_LE(log.OP_TIME, CBSDateTime(2026, 11, 2, 23, 59, 59));
}

TEST_F(RemoteSim, EarlyOperationsResetTheErrorRecordAndLaterOnesLeaveIt)
{
    CBSErrorMsg error;
    error.set(9, 9, "before", "before");
    SResRemoteProvCodeList provinces;
    EXPECT_TRUE(sim_.qry_provinceCode(SResRemoteProvCode(), provinces, error));
    EXPECT_EQ(error.code, 0);
    EXPECT_EQ(error.message, "no error");
    EXPECT_EQ(error.hint, "no error");

    CBSErrorMsg kept;
    kept.set(9, 9, "before", "kept");
    SResRemoteCardVendorDllList dlls;
    EXPECT_TRUE(sim_.qry_cardVendorDll(SResRemoteCardVendorDll(), dlls, kept));
    EXPECT_EQ(calls_->back().code, "RMOSMQ33");
    EXPECT_EQ(kept.code, 9);
    EXPECT_EQ(kept.message, "before");
    EXPECT_EQ(kept.hint, "kept");

    // A failure of a later operation still reports itself.
    SResRemoteCardVendorDllList missing;
    auto& dll = *static_cast<SResRemoteCardVendorDll*>(missing.append());
    dll.set_VENDOR_CODE("ZZ");
    dll.set_CARD_TYPE("ZZ");
    dll.set_PROVINCE_CODE("99");
    EXPECT_FALSE(sim_.del_cardVendorDll(info_, missing, kept));
    EXPECT_NE(kept.message, "before");
    EXPECT_NE(kept.code, 0);
}

TEST_F(RemoteSim, ADefaultCriteriaRecordIsSentUnchanged)
{
    SResRemoteCardTypeList cards;
    CBSErrorMsg error;
    EXPECT_TRUE(sim_.qry_cardType(SResRemoteCardType(), cards, error));
    EXPECT_EQ(Calls("RMOSMQ08").back().encodedIn, R"({"in":{"sResRemoteCardType":{}}})");
}

TEST_F(RemoteSim, ProvinceHelpers)
{
    EXPECT_EQ(CResRemoteSim::ExtractCode("[11] North"), "11");
    EXPECT_EQ(CResRemoteSim::ExtractCode("no brackets"), "no brackets");
    EXPECT_EQ(CResRemoteSim::ExtractCode("[open only"), "[open only");
    EXPECT_EQ(CResRemoteSim::ExtractCode("x] then [y"), "");
    SResRemoteProvCodeList provinces;
    CBSErrorMsg error;
    ASSERT_TRUE(sim_.qry_provinceCode(SResRemoteProvCode(), provinces, error));
    QComboBox combo;
    sim_.FillProvinceCombo(provinces, &combo);
    EXPECT_EQ(combo.count(), 4);
    EXPECT_EQ(combo.currentText(), "[11] 北京");
}

// A service that answers one ping and is gone: the first binding of Init succeeds, the second
// fails.
class OnePingService {
public:
    OnePingService()
    {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), length);
        ::listen(listener_, 4);
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        address_ = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port));
        server_ = std::thread([this] {
            const int peer = ::accept(listener_, nullptr, nullptr);
            ::close(listener_);
            std::string request(4096, '\0');
            ::recv(peer, request.data(), request.size(), 0);
            const std::string answer =
                "HTTP/1.1 200 OK\r\nContent-Length: 12\r\nConnection: close\r\n\r\n{\"result\":0}";
            ::send(peer, answer.data(), answer.size(), MSG_NOSIGNAL);
            ::close(peer);
        });
    }
    ~OnePingService() { server_.join(); }
    const std::string& address() const { return address_; }

private:
    int listener_ = -1;
    std::string address_;
    std::thread server_;
};

TEST(RemoteSimBinding, AFailedBindingThrowsTheResourceText)
{
    setenv("TAV_BROKER_TAVORINE", "http://127.0.0.1:1", 1);
    CResRemoteSim sim;
    try {
        sim.Init(0, 10, 1001, 100101, 1);
        FAIL() << "bound to nothing";
    } catch (const CGUIException& e) {
        EXPECT_EQ(e.text().rfind("公共服务初始化失败", 0), 0U);
    }
    setenv("TAV_BROKER_TAVORINE", formtest::ServiceAddress().c_str(), 1);
}

TEST(RemoteSimBinding, WhenTheSecondBindingFailsTheFirstIsUndone)
{
    CResRemoteSim sim;
    {
        OnePingService service;
        setenv("TAV_BROKER_TAVORINE", service.address().c_str(), 1);
        EXPECT_THROW(sim.Init(0, 10, 1001, 100101, 1), CGUIException);
    }
    setenv("TAV_BROKER_TAVORINE", formtest::ServiceAddress().c_str(), 1);
    SResRemoteProvCodeList provinces;
    CBSErrorMsg error;
    EXPECT_FALSE(sim.qry_provinceCode(SResRemoteProvCode(), provinces, error));
    EXPECT_EQ(error.minCode, 1) << "a call after the failed Init reached for a service: "
                                << error.message;
}

} // namespace
