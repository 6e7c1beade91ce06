// Login and sessions through the middleware: who may log in, which calls carry a live session.
#include "ResRemoteSimMgnt_tvd_c.h"
#include "backend_test.h"
#include "handler.h"
#include "raw_http.h"
#include "sessions.h"
#include "sysmgnt_def_tvd_c.h"
#include "tvd_client.h"

#include <chrono>

namespace {

using namespace rsim::test;
using MResRemoteMgntDef::SResRemoteProvCode;
using MResRemoteMgntDef::SResRemoteProvCodeList;

constexpr const char* kSessionRefused = "会话无效或已过期，请重新登录";

class Sessions : public BackendTest {
protected:
    void SetUp() override
    {
        BackendTest::SetUp();
        if (IsSkipped())
            return;
        ASSERT_EQ(remote_.bind(server().address()), 0);
    }

    // A query with the process session; its error record.
    CBSErrorMsg queryProvinces()
    {
        SResRemoteProvCodeList found;
        CBSErrorMsg error;
        remote_.qry_provinceCode(SResRemoteProvCode(), found, error, nullptr);
        return error;
    }

    std::string expiryOf(const std::string& token)
    {
        return rsim::db::asText(server().connect()->scalar("SELECT EXPIRES FROM sys_session WHERE TOKEN = ?", {token}));
    }

    static std::string utcFromNow(std::chrono::seconds offset)
    {
        return rsim::sessions::utcText(std::chrono::system_clock::now() + offset);
    }

    MResRemoteMgntApp::IResRemoteMgnt remote_;
};

TEST_P(Sessions, LoginAnswersTheOperatorWithoutItsPassword)
{
    MSysmgntDef::SOperator who;
    CBSErrorMsg error;
    ASSERT_EQ(tvd_login("TAVORINE", "viewer", "viewer123", who, error), 0) << error.message;
    EXPECT_EQ(who.OP_ID, 2);
    EXPECT_EQ(who.LOGIN_NAME, "viewer");
    EXPECT_EQ(who.ORG_ID, 100101);
    EXPECT_FALSE(who.isSet(MSysmgntDef::SOperator::idx_OP_PASSWD));
    EXPECT_EQ(tvd_processSession().size(), 64U);
    EXPECT_EQ(queryProvinces().code, 0);
}

TEST_P(Sessions, LoginRefusesWrongPasswordsUnknownNamesAndLockedOperatorsAlike)
{
    struct Case {
        const char* login;
        const char* password;
        const char* message;
    };
    const Case cases[] = {
        {"admin", "wrong", "登录名或密码错误"},
        {"admin", "", "登录名或密码错误"},
        {"nobody", "admin123", "登录名或密码错误"},
        {"locked", "wrong", "登录名或密码错误"}, // a wrong password does not tell that it is locked
        {"locked", "locked123", "操作员已被锁定，不能登录"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.login) + "/" + c.password);
        tvd_setProcessSession("");
        MSysmgntDef::SOperator who;
        CBSErrorMsg error;
        EXPECT_NE(tvd_login("TAVORINE", c.login, c.password, who, error), 0);
        EXPECT_EQ(error.code, 1);
        EXPECT_EQ(error.minCode, rsim::kRefusedLogin);
        EXPECT_EQ(error.message, c.message);
        EXPECT_EQ(tvd_processSession(), "");
    }
}

TEST_P(Sessions, CallsWithoutALiveSessionAreRefused)
{
    ASSERT_TRUE(server().login("admin", "admin123"));
    const std::string token = tvd_processSession();
    const std::string refusedTokens[] = {"", "unknown", token + "0"};
    for (const auto& refused : refusedTokens) {
        tvd_setProcessSession(refused);
        const CBSErrorMsg error = queryProvinces();
        EXPECT_EQ(error.minCode, rsim::kRefusedSession) << refused;
        EXPECT_EQ(error.message, kSessionRefused);
    }
    tvd_setProcessSession(token);
    EXPECT_EQ(queryProvinces().code, 0);

    server().connect()->exec("UPDATE sys_session SET EXPIRES = ? WHERE TOKEN = ?", {utcFromNow(-std::chrono::seconds(1)), token});
    EXPECT_EQ(queryProvinces().message, kSessionRefused);
}

TEST_P(Sessions, LogoutEndsOnlyItsOwnSession)
{
    ASSERT_TRUE(server().login("admin", "admin123"));
    const std::string first = tvd_processSession();
    ASSERT_TRUE(server().login("admin", "admin123"));
    const std::string second = tvd_processSession();
    ASSERT_NE(first, second);

    const RawAnswer answer = post(server().address(), "/v1/logout", "", first);
    EXPECT_EQ(answer.status, 200);
    EXPECT_EQ(answer.body["result"], 0);
    tvd_setProcessSession(first);
    EXPECT_EQ(queryProvinces().message, kSessionRefused);
    tvd_setProcessSession(second);
    EXPECT_EQ(queryProvinces().code, 0);
}

TEST_P(Sessions, AnOperatorLockedAfterLoginLosesItsSession)
{
    ASSERT_TRUE(server().login("viewer", "viewer123"));
    EXPECT_EQ(queryProvinces().code, 0);
    server().connect()->exec("UPDATE sys_operator SET LOCK_STATUS = 1 WHERE OP_ID = 2");
    EXPECT_EQ(queryProvinces().message, kSessionRefused);
}

TEST_P(Sessions, UseExtendsASessionToTwelveHours)
{
    ASSERT_TRUE(server().login("admin", "admin123"));
    const std::string token = tvd_processSession();
    const std::string atLogin = expiryOf(token);
    EXPECT_GE(atLogin, utcFromNow(std::chrono::hours(12) - std::chrono::minutes(1)));
    EXPECT_LE(atLogin, utcFromNow(std::chrono::hours(12) + std::chrono::minutes(1)));

    server().connect()->exec("UPDATE sys_session SET EXPIRES = ? WHERE TOKEN = ?", {utcFromNow(std::chrono::hours(1)), token});
    ASSERT_EQ(queryProvinces().code, 0);
    EXPECT_GE(expiryOf(token), utcFromNow(std::chrono::hours(12) - std::chrono::minutes(1)));
}

TEST_P(Sessions, LoginForgetsExpiredSessions)
{
    auto db = server().connect();
    db->exec("INSERT INTO sys_session (TOKEN, OP_ID, EXPIRES) VALUES ('old', 1, ?)", {utcFromNow(-std::chrono::hours(1))});
    ASSERT_TRUE(server().login("admin", "admin123"));
    EXPECT_EQ(rsim::db::asInt(db->scalar("SELECT COUNT(*) FROM sys_session WHERE TOKEN = 'old'")), 0);
}

RSIM_TEST_ON_BOTH_BACKENDS(Sessions);

} // namespace
