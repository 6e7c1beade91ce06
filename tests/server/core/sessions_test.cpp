// Logins and sessions through the wire, on SQLite and on PostgreSQL: throttling by login name and
// source address, simultaneous logins, both lifetimes of a session, logout.
#include "raw_http.h"
#include "secrets.h"
#include "service_fixture.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <future>
#include <thread>
#include <vector>

using nlohmann::json;

namespace {

// The answer of POST path from the loopback address from: its error message, or "" on success.
std::string postFrom(const char* from, int port, const std::string& path, const std::string& body,
                     const std::string& session = "")
{
    const rawhttp::HttpAnswer answer = rawhttp::exchange(
        port, rawhttp::post(path, body, "X-Tav-Session: " + session + "\r\n"), from);
    return answer.status < 0 ? "no answer" : answer.message();
}

class Sessions : public testsupport::ServiceTest {
protected:
    // rsimd's own number of workers, so that as many logins run at once as in production.
    Sessions() { rsimdArguments_ = {"--session-idle-minutes", "30", "--threads", "8"}; }

    rawhttp::HttpAnswer loginAnswer(const char* from, const std::string& name,
                                    const std::string& password)
    {
        return rawhttp::exchange(
            server_->port(),
            rawhttp::post("/v1/login", json{{"login", name}, {"password", password}}.dump()), from);
    }

    // The login's error message, "" on success.
    std::string login(const char* from, const std::string& name, const std::string& password)
    {
        const rawhttp::HttpAnswer answer = loginAnswer(from, name, password);
        return answer.status < 0 ? "no answer" : answer.message();
    }

    // A session of the operator, logged in through the client library.
    std::string session(const std::string& name, const std::string& password)
    {
        EXPECT_EQ(ServiceTest::login(name, password), "");
        return tvd_processSession();
    }

    // The message of a query made with the session, "" when it is answered.
    std::string query(const std::string& token)
    {
        tvd_setProcessSession(token);
        MResRemoteMgntDef::SResRemoteProvCodeList out;
        CBSErrorMsg error;
        return remote_.qry_provinceCode(MResRemoteMgntDef::SResRemoteProvCode(), out, error,
                                        nullptr) == 0
                   ? ""
                   : error.message;
    }
};

constexpr const char* kWrong = "登录名或密码错误";

// Whether the message tells an attempt to wait.
bool waits(const std::string& message)
{
    return message.rfind("登录失败次数过多，请 ", 0) == 0;
}

// Guesses slow down the address they come from: the owner of the name logs in from another
// address, and the guesser is told to wait, whatever password it sends. A locked name answers
// the same to every password.
TEST_P(Sessions, GuessesFromOneAddressNeverLockTheOwnerOutFromAnother)
{
    for (const char* password : {"locked123", "wrong"})
        EXPECT_EQ(login("127.0.0.1", "locked", password), "操作员已被锁定，不能登录") << password;
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(login("127.0.0.2", "admin", "wrong" + std::to_string(i)), kWrong) << i;
    const rawhttp::HttpAnswer throttled = loginAnswer("127.0.0.2", "admin", "admin123");
    EXPECT_EQ(throttled.status, 429);
    EXPECT_TRUE(waits(throttled.message())) << throttled.message();
    const int retryAfter = std::atoi(
        throttled.headers.count("retry-after") ? throttled.headers.at("retry-after").c_str() : "0");
    EXPECT_TRUE(retryAfter > 0 && retryAfter <= 30) << throttled.head;
    EXPECT_EQ(login("127.0.0.1", "admin", "admin123"), "") << "the owner from another address";
    EXPECT_EQ(login("127.0.0.2", "viewer", "viewer123"), "")
        << "other names from the guessing address, while it has failed only a few times";

    // Many names guessed from one address slow down every name from that address.
    for (int i = 0; i < 11; ++i)
        EXPECT_EQ(login("127.0.0.3", "nobody" + std::to_string(i), "wrong"), kWrong);
    EXPECT_TRUE(waits(login("127.0.0.3", "viewer", "viewer123")));
    EXPECT_EQ(login("127.0.0.1", "viewer", "viewer123"), "");
}

// An office behind one address, or a script running jobs in parallel: right passwords sent
// together all log in, however many there are. Those that find every password check taken are
// told to come back (503 with Retry-After), as a client does.
TEST_P(Sessions, SimultaneousRightPasswordsFromOneAddressAllLogIn)
{
    // However slow the checks on a busy machine: a client comes back for as long as it is told.
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::minutes(3);
    const auto loginComingBack = [this, giveUp] {
        rawhttp::HttpAnswer answer = loginAnswer("127.0.0.4", "viewer", "viewer123");
        while (answer.status == 503 && std::chrono::steady_clock::now() < giveUp) {
            std::this_thread::sleep_for(
                std::chrono::seconds(std::stoi(answer.headers["retry-after"])));
            answer = loginAnswer("127.0.0.4", "viewer", "viewer123");
        }
        return answer.message();
    };
    std::vector<std::future<std::string>> logins;
    for (int i = 0; i < 16; ++i)
        logins.push_back(std::async(std::launch::async, loginComingBack));
    for (auto& answer : logins)
        EXPECT_EQ(answer.get(), "");
}

// Guesses at one name from many addresses, each within its own free failures: past the name's
// limit its new addresses wait, while one it logged in from lately goes on.
TEST_P(Sessions, GuessesAtANameFromManyAddressesMakeOnlyItsNewAddressesWait)
{
    EXPECT_EQ(login("127.0.0.9", "viewer", "viewer123"), "");
    for (int i = 0; i < 101; ++i) {
        const std::string from = "127.0.2." + std::to_string(i / 4);
        EXPECT_EQ(login(from.c_str(), "viewer", "wrong"), kWrong) << i;
    }
    EXPECT_TRUE(waits(login("127.0.3.1", "viewer", "viewer123"))) << "a new address";
    EXPECT_EQ(login("127.0.0.9", "viewer", "viewer123"), "") << "an address it logged in from";
}

// Refusing an unknown name costs what refusing a wrong password does; compared with each other
// in the same run, so that no absolute time is assumed.
TEST_P(Sessions, AnUnknownNameTakesAsLongAsAWrongPassword)
{
    // Known and unknown names take turns, each from an address of its own so that none is slowed
    // down for failing. Load only ever adds time, so each side's fastest refusal is compared; on
    // a busy machine more turns are taken, until both sides have met a quiet moment. A name that
    // skipped the password check would answer many times faster however many turns were taken.
    std::array<double, 2> fastest{1e9, 1e9}; // known, unknown
    const auto alike = [&] {
        return fastest[1] / fastest[0] > 0.5 && fastest[1] / fastest[0] < 2.0;
    };
    for (int i = 0; i < 12 || (i < 60 && !alike()); ++i) {
        const std::string name = i % 2 ? "nobody" + std::to_string(i) : i % 4 ? "viewer" : "admin";
        const std::string from = "127.0.1." + std::to_string(i);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(login(from.c_str(), name, "wrong"), kWrong);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        fastest[i % 2] = std::min(fastest[i % 2], took.count());
    }
    EXPECT_TRUE(alike()) << "unknown " << fastest[1] << " s, known " << fastest[0];
}

// Sessions are stored as digests and slide within their idle time; one past either expiry is
// refused, however recently it was past it, as is one of an operator locked since it began.
TEST_P(Sessions, SessionsSlideWithinTheirIdleTimeAndAreRefusedPastEitherExpiryOrOnceLocked)
{
    const std::string token = session("admin", "admin123");
    EXPECT_EQ(count("SELECT COUNT(*) FROM sys_session WHERE TOKEN = ?", {token}), 0)
        << "stored as it is";
    const rsim::db::Row digest{rsim::secrets::tokenDigest(token)};
    const std::string idleUntil = "SELECT IDLE_UNTIL FROM sys_session WHERE TOKEN = ?";
    const std::int64_t now = std::time(nullptr);
    EXPECT_GT(count(idleUntil, digest), now + 29 * 60);
    EXPECT_LE(count(idleUntil, digest), now + 31 * 60) << "--session-idle-minutes 30";
    // About to go idle: a call pushes the idle expiry the idle time ahead again.
    database()->exec("UPDATE sys_session SET IDLE_UNTIL = ? WHERE TOKEN = ?",
                     {now + 60, digest[0]});
    EXPECT_EQ(query(token), "");
    EXPECT_GT(count(idleUntil, digest), now + 29 * 60);

    const std::string expired = "会话无效或已过期，请重新登录";
    for (const char* column : {"IDLE_UNTIL", "ENDS"}) {
        const std::string viewer = session("viewer", "viewer123");
        ASSERT_EQ(query(viewer), "");
        database()->exec(std::string("UPDATE sys_session SET ") + column + " = ? WHERE TOKEN = ?",
                         {now - 30, rsim::secrets::tokenDigest(viewer)});
        EXPECT_EQ(query(viewer), expired) << column;
    }
    EXPECT_EQ(query("unknown"), expired);
    EXPECT_EQ(query(""), expired);
    const std::string viewer = session("viewer", "viewer123");
    database()->exec("UPDATE sys_operator SET LOCK_STATUS = 1 WHERE LOGIN_NAME = 'viewer'");
    EXPECT_EQ(query(viewer), expired);
}

// A name no operator could have is refused before anything is stored, and one that no operator
// has counts against its source alone.
TEST_P(Sessions, LogoutEndsTheSessionAndLoginsAndLogoutsAreAudited)
{
    for (const std::string& name : {std::string(4000, 'a'), std::string("admin' --")})
        EXPECT_EQ(loginAnswer("127.0.0.2", name, "wrong").status, 400) << name.substr(0, 10);
    EXPECT_EQ(login("127.0.0.2", "viewer", "wrong"), kWrong);
    EXPECT_EQ(login("127.0.0.2", "nobody", "wrong"), kWrong);
    EXPECT_EQ(count("SELECT COUNT(*) FROM sys_login_failure WHERE LOGIN_NAME = 'nobody'"), 0);
    EXPECT_EQ(count("SELECT FAILURES FROM sys_login_failure WHERE LOGIN_NAME = '' AND "
                    "SOURCE = '127.0.0.2'"),
              2);
    const std::string token = session("viewer", "viewer123");
    EXPECT_EQ(postFrom("127.0.0.3", server_->port(), "/v1/logout", "{}", token), "");
    EXPECT_EQ(query(token), "会话无效或已过期，请重新登录");

    std::vector<std::string> rows;
    auditDatabase()->query(
        "SELECT EVENT, OP_ID, LOGIN_NAME, SOURCE FROM sys_access_audit "
        "WHERE EVENT <> 'read' AND OP_ID <> 1", // but the administrator's login of the set-up
        {}, [&](const rsim::db::Row& row) {
            rows.push_back(rsim::db::asText(row[0]) + " " + rsim::db::asText(row[1]) + " " +
                           rsim::db::asText(row[2]) + " " + rsim::db::asText(row[3]));
        });
    using Rows = std::vector<std::string>;
    std::sort(rows.begin(), rows.end()); // rows of one second come in any order
    EXPECT_EQ(rows, (Rows{"login 2 viewer 127.0.0.1", "login refused 0 nobody 127.0.0.2",
                          "login refused 2 viewer 127.0.0.2", "logout 2  127.0.0.3"}));
}

RSIM_ON_EVERY_BACKEND(Sessions);

class SessionsOnOneWorker : public Sessions {
protected:
    SessionsOnOneWorker() { rsimdArguments_ = {"--threads", "1"}; }
};

// A login holds no worker while its password is checked: on a single worker, a call of a
// logged-in operator is answered while a login sent before it still waits for its answer.
TEST_P(SessionsOnOneWorker, ACallIsAnsweredWhileALoginWaitsForItsPasswordCheck)
{
    const std::string token = session("viewer", "viewer123");
    auto pending =
        std::async(std::launch::async, [this] { return login("127.0.0.5", "admin", "admin123"); });
    std::this_thread::sleep_for(std::chrono::milliseconds(20)); // the login reaches its check
    EXPECT_EQ(query(token), "");
    EXPECT_EQ(pending.wait_for(std::chrono::seconds(0)), std::future_status::timeout)
        << "the call was answered only once the login was";
    EXPECT_EQ(pending.get(), "");
}

RSIM_ON_EVERY_BACKEND(SessionsOnOneWorker);

} // namespace
