// Authentication-card passwords and vendor-library keys are sealed at rest like KI, kept out of
// the audit rows, answered in clear to an operator with the rights, and still serve as criteria.
#include "secrets.h"
#include "service_fixture.h"

#include <gtest/gtest.h>

using namespace MResRemoteMgntDef;

namespace {

class SecretMembers : public testsupport::ServiceTest {
protected:
    std::string auditKeys()
    {
        std::string keys;
        database()->query("SELECT RECORD_KEY FROM sys_audit", {},
                          [&](const rsim::db::Row& row) { keys += rsim::db::asText(row[0]); });
        return keys;
    }
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
    ASSERT_EQ(remote_.add_cardVendorDll(info_, dlls, error_, nullptr), 0) << error_.message;

    const std::string sealed =
        stored("SELECT REG_CODE FROM rsim_vendor_dll WHERE DLL_NAME = 'west.dll'");
    EXPECT_EQ(sealed.rfind("s1:", 0), 0U) << sealed;
    EXPECT_EQ(auditKeys().find("REG-SEALED"), std::string::npos);

    SResRemoteCardVendorDll criteria;
    criteria.set_REG_CODE("REG-SEALED-51");
    SResRemoteCardVendorDllList found;
    ASSERT_EQ(remote_.qry_cardVendorDll(criteria, found, error_, nullptr), 0) << error_.message;
    ASSERT_EQ(found.count(), 1);
    EXPECT_EQ(found[0].DLL_NAME, "west.dll");
    EXPECT_EQ(found[0].REG_CODE, "REG-SEALED-51");

    criteria.set_REG_CODE("REG-SEALED-5");
    found.clear();
    ASSERT_EQ(remote_.qry_cardVendorDll(criteria, found, error_, nullptr), 0) << error_.message;
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
    ASSERT_EQ(remote_.add_aucVerifyInfo(info_, aucs, error_, nullptr), 0) << error_.message;
    aucs[0].set_PWD("pw-changed-31");
    ASSERT_EQ(remote_.mod_aucVerifyInfo(info_, aucs, error_, nullptr), 0) << error_.message;

    const std::string sealed =
        stored("SELECT PWD FROM rsim_auc_info WHERE SIM_SEQUENCE = 'AUC310001'");
    EXPECT_EQ(sealed.rfind("s1:", 0), 0U) << sealed;
    EXPECT_EQ(auditKeys().find("pw-"), std::string::npos);

    SResRemoteAucInfo criteria;
    criteria.set_SIM_SEQUENCE("AUC310001");
    SResRemoteAucInfoList found;
    ASSERT_EQ(remote_.qry_aucVerifyInfo(criteria, found, error_, nullptr), 0) << error_.message;
    ASSERT_EQ(found.count(), 1);
    EXPECT_EQ(found[0].PWD, "pw-changed-31");
}

TEST_P(SecretMembers, AKiCopiedOntoAnotherCardAnswersAsUnreadableNotAsThatCardsKi)
{
    const std::string first = "460001000000000", second = "460001000000001";
    database()->exec("UPDATE rsim_sim SET KI_CODE = (SELECT KI_CODE FROM rsim_sim WHERE IMSI = ?) "
                     "WHERE IMSI = ?",
                     {first, second});

    SRemoteSimQryIn criteria;
    criteria.set_START_IMSI(first);
    criteria.set_END_IMSI("460001000000002");
    SRemoteSimInfoList found;
    ASSERT_EQ(remote_.qry_simInfo(criteria, found, error_, nullptr), 0) << error_.message;
    ASSERT_EQ(found.count(), 3);
    EXPECT_EQ(found[0].KI_CODE, "1A2B3C4D5E6F708192A3B4C5D6E7F809");
    EXPECT_EQ(found[1].IMSI, second);
    EXPECT_EQ(found[1].KI_CODE, rsim::secrets::kUnreadable);
    EXPECT_EQ(found[2].KI_CODE, "1A2B3C4F5E6F708392A3B4D3D6E7F813");
}

RSIM_ON_EVERY_BACKEND(SecretMembers);

} // namespace
