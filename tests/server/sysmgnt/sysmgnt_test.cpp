// The seven system-management operations the public libraries call, through the middleware.
#include "SysMgntService_tvd_c.h"
#include "backend_test.h"
#include "host.h"
#include "raw_http.h"
#include "tvd_client.h"

#include <algorithm>
#include <cstdlib>

namespace {

using namespace rsim::test;

class SystemServices : public BackendTest {
protected:
    void SetUp() override
    {
        BackendTest::SetUp();
        if (IsSkipped())
            return;
        ASSERT_TRUE(server().login("viewer", "viewer123"));
        ASSERT_EQ(sys_.bind(server().address()), 0);
    }

    MSysSvcDef::SCodeNameList codes(int category)
    {
        MSysSvcDef::SCodeCategory criteria;
        criteria.set_CATEGORY(category);
        MSysSvcDef::SCodeNameList found;
        CBSErrorMsg error;
        EXPECT_EQ(sys_.qry_baseType(criteria, found, error, nullptr), 0) << error.message;
        return found;
    }

    static std::string nameOf(const MSysSvcDef::SCodeNameList& list, std::int64_t code)
    {
        for (const auto& entry : list)
            if (entry.CODE == code)
                return entry.NAME;
        return "(missing)";
    }

    MSysmgntDef::SPublicParamList parameters(const std::string& code, int region, int county)
    {
        MSysmgntDef::SPublicParam criteria;
        criteria.set_PARAM_CODE(code);
        if (region != 0)
            criteria.set_REGION_CODE(static_cast<std::int16_t>(region));
        if (county != 0)
            criteria.set_COUNTY_CODE(static_cast<std::int16_t>(county));
        MSysmgntDef::SPublicParamList found;
        CBSErrorMsg error;
        EXPECT_EQ(sys_.qry_sysParam(criteria, found, error, nullptr), 0) << error.message;
        return found;
    }

    MSysSvcApp::ISysMgnt sys_;
};

TEST_P(SystemServices, RightsAreGrantedPerEntityAndPrivilegeInTheOrderAsked)
{
    const std::pair<int, int> asked[] = {{53701, 10}, {55001, 10}, {55001, 11}, {99999, 10}};
    auto check = [&](int opId) {
        MSysmgntDef::SOperatorBrief who;
        who.set_OP_ID(opId);
        MSysmgntDef::SOperPrivAuthList request, granted;
        for (const auto& [entity, privilege] : asked) {
            auto& entry = *static_cast<MSysmgntDef::SOperPrivAuth*>(request.append());
            entry.set_ENT_ID(entity);
            entry.set_PRIV_ID(privilege);
        }
        CBSErrorMsg error;
        EXPECT_EQ(sys_.chk_operRight(who, request, granted, error, nullptr), 0) << error.message;
        std::vector<int> flags;
        for (std::size_t i = 0; i < granted.size(); ++i) {
            EXPECT_EQ(granted[i].ENT_ID, asked[i].first);
            flags.push_back(granted[i].AUTHORIZED);
        }
        return flags;
    };
    EXPECT_EQ(check(1), (std::vector<int>{1, 1, 0, 0})); // admin
    EXPECT_EQ(check(2), (std::vector<int>{0, 1, 0, 0})); // viewer: queries only
    EXPECT_EQ(check(42), (std::vector<int>{0, 0, 0, 0}));
}

TEST_P(SystemServices, ParametersOfAllRegionsHoldForEachRegionAndCounty)
{
    const auto smsp = parameters("SmspCode", 0, 0);
    ASSERT_EQ(smsp.size(), 1U);
    EXPECT_EQ(smsp[0].PARAM_VALUE, "+8613800200500");
    const auto ftp = parameters("GuiWriteCardFTP", 0, 0);
    ASSERT_EQ(ftp.size(), 1U);
    EXPECT_EQ(std::count(ftp[0].PARAM_VALUE.begin(), ftp[0].PARAM_VALUE.end(), '|'), 4) << ftp[0].PARAM_VALUE;

    server().connect()->exec("INSERT INTO sys_param (PARAM_CODE, REGION_CODE, COUNTY_CODE, PARAM_VALUE) "
                             "VALUES ('SmspCode', 11, 0, '+8613800755500'), ('SmspCode', 11, 1101, '+8613800755501')");
    EXPECT_EQ(parameters("SmspCode", 10, 0).size(), 1U);
    EXPECT_EQ(parameters("SmspCode", 11, 0).size(), 3U);
    EXPECT_EQ(parameters("SmspCode", 11, 1102).size(), 2U);
    const auto exact = parameters("SmspCode", 11, 1101);
    ASSERT_EQ(exact.size(), 3U);
    EXPECT_EQ(exact[2].PARAM_VALUE, "+8613800755501");
    EXPECT_TRUE(parameters("NoSuchParameter", 0, 0).empty());
}

TEST_P(SystemServices, CodeListsComeFromThePlaceTablesAndTheCodeTable)
{
    const auto regions = codes(57);
    EXPECT_EQ(nameOf(regions, 10), "广州");
    EXPECT_EQ(nameOf(regions, 11), "深圳");
    EXPECT_EQ(nameOf(codes(58), 1001), "广州一区");
    EXPECT_EQ(nameOf(codes(59), 100101), "广州一区营业厅1");
    EXPECT_EQ(nameOf(codes(285), 2), "查询员");
    server().connect()->exec("INSERT INTO sys_region (REGION_CODE, REGION_NAME) VALUES (19, '佛山')");
    EXPECT_EQ(nameOf(codes(57), 19), "佛山");

    for (int yesNo : {836, 837}) {
        const auto flags = codes(yesNo);
        ASSERT_EQ(flags.size(), 2U) << yesNo;
        EXPECT_EQ(nameOf(flags, 0), "否");
        EXPECT_EQ(nameOf(flags, 1), "是");
    }
    EXPECT_NE(nameOf(codes(891), 13), "(missing)"); // the SIM state the SIM window hides
    for (int category : {167, 835, 883, 884, 891, 892})
        EXPECT_GE(codes(category).size(), 3U) << category;
    EXPECT_TRUE(codes(12345).empty());
}

TEST_P(SystemServices, CountiesAndBusinessHallsFollowTheirRegion)
{
    MSysmgntDef::SCounty county;
    county.set_REGION_CODE(10);
    MSysmgntDef::SCountyList counties;
    CBSErrorMsg error;
    ASSERT_EQ(sys_.qry_county(county, counties, error, nullptr), 0);
    ASSERT_EQ(counties.size(), 3U);
    for (const auto& c : counties)
        EXPECT_EQ(c.REGION_CODE, 10);
    county.set_REGION_CODE(99);
    ASSERT_EQ(sys_.qry_county(county, counties, error, nullptr), 0);
    EXPECT_TRUE(counties.empty());

    MSysmgntDef::SOrgBriefProfile org;
    org.set_REGION_CODE(10);
    org.set_COUNTY_CODE(1002);
    MSysmgntDef::SOrgBriefProfileList halls;
    ASSERT_EQ(sys_.qry_org(org, halls, error, nullptr), 0);
    ASSERT_EQ(halls.size(), 2U);
    EXPECT_EQ(halls[0].ORG_ID, 100201);
    EXPECT_EQ(halls[0].COUNTY_CODE, 1002);
    org.set_COUNTY_CODE(0); // the whole region
    ASSERT_EQ(sys_.qry_org(org, halls, error, nullptr), 0);
    EXPECT_EQ(halls.size(), 6U);
}

TEST_P(SystemServices, TheServerDateIsNow)
{
    MSysSvcDef::SServerDateList now;
    CBSErrorMsg error;
    ASSERT_EQ(sys_.qry_currentDate(MSysSvcDef::SServerDate(), now, error, nullptr), 0);
    ASSERT_EQ(now.size(), 1U);
    EXPECT_LT(std::abs(now[0].NOW - CBSDateTime::currentDateTime()), 300);
}

TEST_P(SystemServices, AnOperatorProfileNeverCarriesItsPassword)
{
    MSysmgntDef::SOperatorBrief who;
    who.set_OP_ID(1);
    MSysmgntDef::SOperatorList found;
    CBSErrorMsg error;
    ASSERT_EQ(sys_.qry_operator(who, found, error, nullptr), 0);
    ASSERT_EQ(found.size(), 1U);
    EXPECT_EQ(found[0].LOGIN_NAME, "admin");
    EXPECT_EQ(found[0].REGION_CODE, 10);
    EXPECT_FALSE(found[0].isSet(MSysmgntDef::SOperator::idx_OP_PASSWD));

    const RawAnswer raw = post(server().address(), "/v1/call/MSysSvcApp_ISysMgnt/SYSMQ07",
                               R"({"in":{"sIn":{"OP_ID":1}}})", tvd_processSession());
    EXPECT_EQ(raw.body.dump().find("argon2"), std::string::npos);
    who.set_OP_ID(42);
    ASSERT_EQ(sys_.qry_operator(who, found, error, nullptr), 0);
    EXPECT_TRUE(found.empty());
}

TEST_P(SystemServices, SeedingAgainChangesNothing)
{
    auto db = server().connect();
    auto counts = [&] {
        std::vector<std::int64_t> n;
        for (const char* table : {"sys_region", "sys_county", "sys_org", "sys_operator", "sys_oper_right", "sys_param", "sys_code"})
            n.push_back(rsim::db::asInt(db->scalar(std::string("SELECT COUNT(*) FROM ") + table)));
        return n;
    };
    const auto before = counts();
    EXPECT_GT(before[4], 40);
    rsim::prepareDatabase(*db, rsim::secrets::SecretBox::fromKeyFile(server().keyFile(), false), true);
    EXPECT_EQ(counts(), before);
    EXPECT_TRUE(server().login("admin", "admin123"));
}

RSIM_TEST_ON_BOTH_BACKENDS(SystemServices);

} // namespace
