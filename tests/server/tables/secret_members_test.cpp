// Authentication-card passwords and vendor-library keys are sealed at rest like KI, kept out of
// the audit rows, answered in clear to an operator with the rights, and still serve as criteria.
#include "secrets.h"
#include "service_fixture.h"

#include <gtest/gtest.h>

using namespace MResRemoteMgntDef;

namespace {

using SecretMembers = testsupport::ServiceTest;

TEST_P(SecretMembers, AreSealedKeptOutOfTheAuditAnsweredInClearAndFoundByTheirValue)
{
    SResRemoteCardVendorDllList dlls;
    auto& d = *static_cast<SResRemoteCardVendorDll*>(dlls.append());
    d.set_PROVINCE_CODE("51");
    d.set_VENDOR_CODE("V03");
    d.set_CARD_TYPE("C64");
    d.set_DLL_NAME("west.dll");
    d.set_REG_CODE("REG-SEALED-51");
    ASSERT_EQ(remote_.add_cardVendorDll(info_, dlls, error_, nullptr), 0) << error_.message;
    SResRemoteAucInfoList aucs;
    auto& a = *static_cast<SResRemoteAucInfo*>(aucs.append());
    a.set_PROVINCE_CODE("31");
    a.set_VENDOR_CODE("V02");
    a.set_CARD_TYPE("C64");
    a.set_SIM_SEQUENCE("AUC310001");
    a.set_PWD("pw-sealed-31");
    a.set_STS(1);
    ASSERT_EQ(remote_.add_aucVerifyInfo(info_, aucs, error_, nullptr), 0) << error_.message;
    a.set_PWD("pw-changed-31");
    ASSERT_EQ(remote_.mod_aucVerifyInfo(info_, aucs, error_, nullptr), 0) << error_.message;

    for (const char* sql : {"SELECT REG_CODE FROM rsim_vendor_dll WHERE DLL_NAME = 'west.dll'",
                            "SELECT PWD FROM rsim_auc_info WHERE SIM_SEQUENCE = 'AUC310001'"})
        EXPECT_EQ(stored(sql).rfind("s1:", 0), 0U) << sql;
    EXPECT_EQ(count("SELECT COUNT(*) FROM sys_audit WHERE RECORD_KEY LIKE '%REG-SEALED%' OR "
                    "RECORD_KEY LIKE '%pw-%'"),
              0);

    SResRemoteAucInfo auc;
    auc.set_SIM_SEQUENCE("AUC310001");
    SResRemoteAucInfoList aucFound;
    ASSERT_EQ(remote_.qry_aucVerifyInfo(auc, aucFound, error_, nullptr), 0) << error_.message;
    ASSERT_EQ(aucFound.count(), 1);
    EXPECT_EQ(aucFound[0].PWD, "pw-changed-31");

    // A sealed criterion matches the whole value only.
    for (const auto& [key, found] : {std::pair{"REG-SEALED-51", 1}, {"REG-SEALED-5", 0}}) {
        SResRemoteCardVendorDll criteria;
        criteria.set_REG_CODE(key);
        SResRemoteCardVendorDllList dllFound;
        ASSERT_EQ(remote_.qry_cardVendorDll(criteria, dllFound, error_, nullptr), 0)
            << error_.message;
        ASSERT_EQ(dllFound.count(), found) << key;
        if (found == 1) {
            EXPECT_EQ(dllFound[0].DLL_NAME, "west.dll");
            EXPECT_EQ(dllFound[0].REG_CODE, key);
        }
    }
}

TEST_P(SecretMembers, AKiCopiedOntoAnotherCardAnswersAsUnreadableNotAsThatCardsKi)
{
    const std::string first = "460001000000000", second = "460001000000001";
    database()->exec("UPDATE rsim_sim SET KI_CODE = (SELECT KI_CODE FROM rsim_sim WHERE IMSI = ?) "
                     "WHERE IMSI = ?",
                     {first, second});

    const SRemoteSimInfoList found = sims(first, "460001000000002");
    ASSERT_EQ(found.count(), 3);
    EXPECT_EQ(found[0].KI_CODE, "1A2B3C4D5E6F708192A3B4C5D6E7F809");
    EXPECT_EQ(found[1].IMSI, second);
    EXPECT_EQ(found[1].KI_CODE, rsim::secrets::kUnreadable);
    EXPECT_EQ(found[2].KI_CODE, "1A2B3C4F5E6F708392A3B4D3D6E7F813");
}

RSIM_ON_EVERY_BACKEND(SecretMembers);

} // namespace
