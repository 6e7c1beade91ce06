// CResRemoteSim against a real rsimd: the error-record rule, the province helpers, binding.
#include "CResRemoteSim.h"
#include "guiexception.h"
#include "loopback_port.h"
#include "window_driver.h"

using namespace MResRemoteMgntDef;

namespace {

using RemoteSim = windowtest::WindowDriver;

TEST_F(RemoteSim, EarlyOperationsResetTheErrorRecordAndLaterOnesLeaveIt)
{
    CResRemoteSim remote;
    remote.Init(0, operator_.REGION_CODE, operator_.COUNTY_CODE, operator_.ORG_ID, operator_.OP_ID);
    CBSErrorMsg error;
    error.set(9, 9, "before", "before");
    SResRemoteProvCodeList provinces;
    EXPECT_TRUE(remote.qry_provinceCode(SResRemoteProvCode(), provinces, error));
    EXPECT_EQ(error.code, 0);
    EXPECT_EQ(error.message, "no error");
    EXPECT_EQ(error.hint, "no error");

    CBSErrorMsg kept;
    kept.set(9, 9, "before", "kept");
    SResRemoteCardVendorDllList dlls;
    EXPECT_TRUE(remote.qry_cardVendorDll(SResRemoteCardVendorDll(), dlls, kept));
    EXPECT_EQ(Calls().back().code, "RMOSMQ33");
    EXPECT_EQ(kept.code, 9);
    EXPECT_EQ(kept.message, "before");
    EXPECT_EQ(kept.hint, "kept");

    // A failure of a later operation still reports itself.
    SResRemoteCardVendorDllList missing;
    auto& dll = *static_cast<SResRemoteCardVendorDll*>(missing.append());
    dll.set_VENDOR_CODE("ZZ");
    dll.set_CARD_TYPE("ZZ");
    dll.set_PROVINCE_CODE("99");
    EXPECT_FALSE(remote.del_cardVendorDll(MResRemoteMgntApp::SOpInfo(), missing, kept));
    EXPECT_NE(kept.message, "before");
    EXPECT_NE(kept.code, 0);

    // ExtractCode takes the bracketed code or the whole text.
    EXPECT_EQ(CResRemoteSim::ExtractCode("[11] North"), "11");
    EXPECT_EQ(CResRemoteSim::ExtractCode("no brackets"), "no brackets");
    EXPECT_EQ(CResRemoteSim::ExtractCode("[open only"), "[open only");
    EXPECT_EQ(CResRemoteSim::ExtractCode("x] then [y"), "");
}

TEST(RemoteSimBinding, WhenTheSecondBindingFailsTheFirstIsUndone)
{
    CResRemoteSim sim;
    {
        // Answers the first binding's ping and is gone before the second.
        const testsupport::LoopbackPort service(
            "HTTP/1.1 200 OK\r\nContent-Length: 12\r\nConnection: close\r\n\r\n{\"result\":0}");
        setenv("TAV_BROKER_TAVORINE", service.address().c_str(), 1);
        EXPECT_THROW(sim.Init(0, 10, 1001, 100101, 1), CGUIException);
    }
    setenv("TAV_BROKER_TAVORINE", windowtest::ServiceAddress().c_str(), 1);
    SResRemoteProvCodeList provinces;
    CBSErrorMsg error;
    EXPECT_FALSE(sim.qry_provinceCode(SResRemoteProvCode(), provinces, error));
    EXPECT_EQ(error.minCode, 1) << "a call after the failed Init reached for a service: "
                                << error.message;
}

} // namespace
