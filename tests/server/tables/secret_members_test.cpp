// Authentication-card passwords and vendor-library keys are sealed at rest like KI, kept out of
// the audit rows, answered in clear to an operator with the rights, and still serve as criteria.
#include "ResRemoteSimMgnt_tvd_c.h"
#include "driver.h"
#include "rsimd_process.h"
#include "secrets.h"
#include "sysmgnt_def_tvd_c.h"

#include <gtest/gtest.h>

using namespace MResRemoteMgntDef;
using Backend = testsupport::RsimdProcess::Backend;

namespace {

class SecretMembers : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override
    {
        if (GetParam() == Backend::Postgres && !testsupport::RsimdProcess::postgresAvailable())
            GTEST_SKIP() << "RSIM_TEST_PG is not set: no PostgreSQL server for this run";
        server_ = std::make_unique<testsupport::RsimdProcess>(GetParam());
        setenv("TAV_BROKER_TAVORINE", server_->address().c_str(), 1);
        MSysmgntDef::SOperator op;
        CBSErrorMsg error;
        ASSERT_EQ(tvd_login("TAVORINE", "admin", "admin123", op, error), 0) << error.message;
        ASSERT_EQ(remote_.bind(server_->address()), 0);
        info_.set_REGION_CODE(10);
        info_.set_COUNTY_CODE(1001);
        info_.set_ORG_ID(100101);
        info_.set_OP_ID(1);
    }

    std::string stored(const std::string& sql)
    {
        return rsim::db::asText(rsim::db::connect(server_->database())->scalar(sql));
    }
    std::string auditKeys()
    {
        std::string keys;
        rsim::db::connect(server_->database())
            ->query("SELECT RECORD_KEY FROM sys_audit", {},
                    [&](const rsim::db::Row& row) { keys += rsim::db::asText(row[0]); });
        return keys;
    }

    std::unique_ptr<testsupport::RsimdProcess> server_;
    MResRemoteMgntApp::IResRemoteMgnt remote_;
    MResRemoteMgntApp::SOpInfo info_;
};

TEST_P(SecretMembers, TheLibraryKeyIsSealedYetFoundByItsValue)
{
    SResRemoteCardVendorDllList dlls;
    auto& d = *static_cast<SResRemoteCardVendorDll*>(dlls.append());
    d.set_PROVINCE_CODE("51");
    d.set_VENDOR_CODE("V03");
    d.set_CARD_TYPE("C64");
    d.set_DLL_NAME("west.dll");
    d.set_REG_CODE("REG-SEALED-51");
    CBSErrorMsg error;
    ASSERT_EQ(remote_.add_cardVendorDll(info_, dlls, error, nullptr), 0) << error.message;

    const std::string sealed =
        stored("SELECT REG_CODE FROM rsim_vendor_dll WHERE DLL_NAME = 'west.dll'");
    EXPECT_EQ(sealed.rfind("s1:", 0), 0U) << sealed;
    EXPECT_EQ(auditKeys().find("REG-SEALED"), std::string::npos);

    SResRemoteCardVendorDll criteria;
    criteria.set_REG_CODE("REG-SEALED-51");
    SResRemoteCardVendorDllList found;
    ASSERT_EQ(remote_.qry_cardVendorDll(criteria, found, error, nullptr), 0) << error.message;
    ASSERT_EQ(found.count(), 1);
    EXPECT_EQ(found[0].DLL_NAME, "west.dll");
    EXPECT_EQ(found[0].REG_CODE, "REG-SEALED-51");

    criteria.set_REG_CODE("REG-SEALED-5");
    found.clear();
    ASSERT_EQ(remote_.qry_cardVendorDll(criteria, found, error, nullptr), 0) << error.message;
    EXPECT_EQ(found.count(), 0);
}

TEST_P(SecretMembers, TheCardPasswordIsSealedAndAnsweredInClear)
{
    SResRemoteAucInfoList aucs;
    auto& a = *static_cast<SResRemoteAucInfo*>(aucs.append());
    a.set_PROVINCE_CODE("31");
    a.set_VENDOR_CODE("V02");
    a.set_CARD_TYPE("C64");
    a.set_SIM_SEQUENCE("AUC310001");
    a.set_PWD("pw-sealed-31");
    a.set_STS(1);
    CBSErrorMsg error;
    ASSERT_EQ(remote_.add_aucVerifyInfo(info_, aucs, error, nullptr), 0) << error.message;
    aucs[0].set_PWD("pw-changed-31");
    ASSERT_EQ(remote_.mod_aucVerifyInfo(info_, aucs, error, nullptr), 0) << error.message;

    const std::string sealed =
        stored("SELECT PWD FROM rsim_auc_info WHERE SIM_SEQUENCE = 'AUC310001'");
    EXPECT_EQ(sealed.rfind("s1:", 0), 0U) << sealed;
    EXPECT_EQ(auditKeys().find("pw-"), std::string::npos);

    SResRemoteAucInfo criteria;
    criteria.set_SIM_SEQUENCE("AUC310001");
    SResRemoteAucInfoList found;
    ASSERT_EQ(remote_.qry_aucVerifyInfo(criteria, found, error, nullptr), 0) << error.message;
    ASSERT_EQ(found.count(), 1);
    EXPECT_EQ(found[0].PWD, "pw-changed-31");
}

TEST_P(SecretMembers, AKiCopiedOntoAnotherCardAnswersAsUnreadableNotAsThatCardsKi)
{
    const std::string first = "460001000000000", second = "460001000000001";
    auto db = rsim::db::connect(server_->database());
    db->exec("UPDATE rsim_sim SET KI_CODE = (SELECT KI_CODE FROM rsim_sim WHERE IMSI = ?) "
             "WHERE IMSI = ?",
             {first, second});

    SRemoteSimQryIn criteria;
    criteria.set_START_IMSI(first);
    criteria.set_END_IMSI("460001000000002");
    SRemoteSimInfoList found;
    CBSErrorMsg error;
    ASSERT_EQ(remote_.qry_simInfo(criteria, found, error, nullptr), 0) << error.message;
    ASSERT_EQ(found.count(), 3);
    EXPECT_EQ(found[0].KI_CODE, "1A2B3C4D5E6F708192A3B4C5D6E7F809");
    EXPECT_EQ(found[1].IMSI, second);
    EXPECT_EQ(found[1].KI_CODE, rsim::secrets::kUnreadable);
    EXPECT_EQ(found[2].KI_CODE, "1A2B3C4F5E6F708392A3B4D3D6E7F813");
}

INSTANTIATE_TEST_SUITE_P(Backends, SecretMembers,
                         ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         [](const auto& info) {
                             return info.param == Backend::Sqlite ? "Sqlite" : "Postgres";
                         });

} // namespace
