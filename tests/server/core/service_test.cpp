// The service through the middleware, on SQLite and on PostgreSQL: the semantics of queries and
// writes, repeated writes, malformed requests; and its pool of database connections.
#include "loopback_port.h"
#include "service.h"
#include "service_fixture.h"

#include <gtest/gtest.h>
#include <sodium.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <future>
#include <set>

#include <csignal>

using namespace MResRemoteMgntDef;
using Remote = MResRemoteMgntApp::IResRemoteMgnt;
using testsupport::Backend;
using testsupport::card;
using testsupport::provinces;

namespace {

using Service = testsupport::ServiceTest;
using testsupport::cards;

// Operators type codes in either case and Chinese names; % and _ are characters like the others.
TEST_P(Service, NameCriteriaIgnoreAsciiCaseAndMatchPercentAndUnderscoreLiterally)
{
    ASSERT_EQ(refusal(&Remote::add_provinceCode, provinces({{"91", "Hebei_North"},
                                                            {"92", "HebeiXNorth"},
                                                            {"93", "折扣100%"},
                                                            {"94", "折扣1000"}})),
              "");
    using Codes = std::vector<std::string>;
    for (const auto& [typed, codes] : std::vector<std::pair<const char*, Codes>>{
             {"hebei_", {"91"}}, {"NORTH", {"91", "92"}}, {"0%", {"93"}}, {"扣1", {"93", "94"}}}) {
        SResRemoteProvCode criteria;
        criteria.set_PROVINCE_NAME(typed);
        SResRemoteProvCodeList found;
        ASSERT_EQ(remote_.qry_provinceCode(criteria, found, error_, nullptr), 0) << error_.message;
        Codes answered;
        for (const auto& province : found)
            answered.push_back(province.PROVINCE_CODE);
        EXPECT_EQ(answered, codes) << typed;
    }
}

TEST_P(Service, SimQueryTakesRangesLimitsAndIgnoresMinusOneAndZero)
{
    SRemoteSimQryIn criteria;
    criteria.set_START_IMSI("460001000000010");
    criteria.set_END_IMSI("460001000000019");
    criteria.set_REGION_CODE(-1);
    criteria.set_COUNTY_CODE(0);
    criteria.set_ORG_ID(0);
    criteria.set_MAX_NUM(5);
    SRemoteSimInfoList found;
    ASSERT_EQ(remote_.qry_simInfo(criteria, found, error_, nullptr), 0);
    ASSERT_EQ(found.count(), 5);
    EXPECT_EQ(found[0].IMSI, "460001000000010");
    EXPECT_EQ(found[0].KI_CODE.size(), 32U);
    criteria.set_REGION_CODE(11);
    ASSERT_EQ(remote_.qry_simInfo(criteria, found, error_, nullptr), 0);
    EXPECT_EQ(found.count(), 0);
}

// SIM numbers of 19 and 20 characters in one range are ordered as numbers, not as text.
TEST_P(Service, SimNumberRangesOfMixedLengthsCompareAsNumbers)
{
    const char* numbers[] = {"8999999999999999999", "9000000000000000005", "10000000000000000005",
                             "19999999999999999999", "20000000000000000001"};
    SRemoteSimInfoList batch = cards(8000, 5);
    for (int i = 0; i < 5; ++i)
        batch[i].set_SIM_ID(numbers[i]);
    ASSERT_EQ(refusal(&Remote::add_simInfo, batch), "");
    const std::string badBound = "格式错误：必须为19或20位数字或大写字母A-F";
    // A bound that is not a SIM number is refused, not compared after padding.
    const std::array<std::string, 3> cases[] = {
        {"9000000000000000000", "20000000000000000000",
         "10000000000000000005 19999999999999999999 9000000000000000005"},
        {"8999999999999999999", "10000000000000000005",
         "10000000000000000005 8999999999999999999 9000000000000000005"},
        {"9000000000000000006", "9999999999999999999", ""},
        {"19999999999999999999", "99999999999999999999",
         "19999999999999999999 20000000000000000001"},
        {"19999999999999999999", "100000000000000000000", "END_SIM_ID" + badBound},
        {"'; DROP TABLE rsim_sim; --", "19999999999999999999", "START_SIM_ID" + badBound},
        {"898600990000000001", "19999999999999999999", "START_SIM_ID" + badBound},
        {"8999999999999999999", "89860099000000000f1", "END_SIM_ID" + badBound},
    };
    for (const auto& [first, last, answer] : cases) {
        SRemoteSimQryIn criteria;
        criteria.set_START_IMSI("460009900008000");
        criteria.set_END_IMSI("460009900008999");
        criteria.set_START_SIM_ID(first);
        criteria.set_END_SIM_ID(last);
        SRemoteSimInfoList found;
        std::set<std::string> ids; // sorted as text
        if (remote_.qry_simInfo(criteria, found, error_, nullptr) != 0)
            ids.insert(error_.message);
        for (const auto& sim : found)
            ids.insert(sim.SIM_ID);
        std::string answered;
        for (const auto& id : ids)
            answered += (answered.empty() ? "" : " ") + id;
        EXPECT_EQ(answered, answer) << first << ".." << last;
    }
}

// A batch is read, checked and stored a chunk at a time in one transaction: a fault names its
// record by its place in the whole batch; a long answer is written as its rows are read.
TEST_P(Service, ABatchReadInChunksIsRefusedAtItsFaultOrStoredWholeAndALongAnswerKeepsItsLimit)
{
    ASSERT_EQ(refusal(&Remote::add_simInfo, cards(90000, 1)), "");
    CBSErrorMsg error;

    SRemoteSimInfoList batch = cards(40000, 12000);
    // A text that is not UTF-8, met after the first pieces of the batch were sent, aborts the
    // request; the binding serves the calls that follow.
    SRemoteSimInfoList unreadable = batch;
    unreadable[5000].set_REMARK("bad \xFF byte");
    EXPECT_THROW(remote_.add_simInfo(info_, unreadable, error, nullptr), tvd::wire::TextFault);
    const auto refused = [&](const std::function<void(SRemoteSimInfoList&)>& spoil) {
        SRemoteSimInfoList spoilt = batch;
        spoil(spoilt);
        CBSErrorMsg refusal;
        EXPECT_NE(remote_.add_simInfo(info_, spoilt, refusal, nullptr), 0);
        EXPECT_EQ(sims("460009900040000", "460009900051999").count(), 0) << refusal.hint;
        return refusal.message + " / " + refusal.hint;
    };
    EXPECT_EQ(refused([](auto& b) { b[11000] = b[100]; }),
              "同一批数据中重复：IMSI / 第11001条记录 IMSI=460009900040100");
    EXPECT_EQ(refused([](auto& b) { b[9000].set_SIM_ID(b[2].SIM_ID); }),
              "同一批数据中重复：SIM_ID / 第9001条记录 IMSI=460009900049000");
    EXPECT_EQ(refused([&](auto& b) { b[7500] = card(90000); }),
              "IMSI已存在 / 第7501条记录 IMSI=460009900090000");
    EXPECT_EQ(refused([](auto& b) { b[10500].set_PIN1("12"); }),
              "PIN1格式错误：必须为4到8位数字 / 第10501条记录 IMSI=460009900050500");
    // Checked only: the whole batch passes, and nothing of it is stored or audited.
    remote_.setCheckOnly(true);
    EXPECT_EQ(remote_.add_simInfo(info_, batch, error, nullptr), 0) << error.message << error.hint;
    remote_.setCheckOnly(false);
    EXPECT_EQ(sims("460009900040000", "460009900051999").count(), 0);

    // A value of the wrong type late in the batch: refused as a bad request, after the chunks
    // before it were stored in the transaction, which is rolled back.
    SRemoteSimInfoList typed = batch;
    typed[10000].set_REMARK("坏");
    std::string body = request(Remote::CParamIn4add_simInfo(info_, typed, nullptr));
    body.replace(body.find(R"("REMARK":"坏")"), std::string(R"("REMARK":"坏")").size(),
                 R"("REMARK":5)");
    const auto answer = call("RMOSMQ25", body);
    EXPECT_EQ(answer.status, 400);
    EXPECT_NE(
        answer.document()["error"].value("hint", "").find("in.listRemoteSimInfo[10000].REMARK"),
        std::string::npos)
        << answer.body;
    EXPECT_EQ(sims("460009900040000", "460009900051999").count(), 0);

    ASSERT_EQ(remote_.add_simInfo(info_, batch, error, nullptr), 0) << error.message << error.hint;
    EXPECT_EQ(sims("460009900040000", "460009900051999").count(), 12000);
    EXPECT_EQ(count("SELECT COUNT(*) FROM sys_audit WHERE CODE = 'RMOSMQ25' AND OP_ID = 1"), 12001);

    const SRemoteSimInfoList found = sims("460009900040000", "460009900051999", 2345);
    ASSERT_EQ(found.count(), 2345);
    for (std::size_t i : {0, 999, 1000, 2344})
        EXPECT_EQ(std::tie(found[i].IMSI, found[i].SIM_ID, found[i].KI_CODE),
                  std::tie(batch[i].IMSI, batch[i].SIM_ID, batch[i].KI_CODE))
            << i;
    // One row for the answer, naming its cards as a range.
    EXPECT_EQ(audited("SELECT COUNT(*) FROM sys_access_audit WHERE EVENT = 'read' AND OP_ID = 1 "
                      "AND OPERATION LIKE '%RMOSMQ28%' AND RECORD_KEYS = ?",
                      {std::string("rsim_sim IMSI=460009900040000..460009900042344")}),
              1);
    // An answer whose audit row cannot be stored never goes out.
    auditDatabase()->exec("ALTER TABLE sys_access_audit RENAME TO sys_access_audit_away");
    const auto unaudited = call("RMOSMQ28", R"({"in":{"sIn":{"START_IMSI":"460009900040000",)"
                                            R"("END_IMSI":"460009900040009"}}})");
    EXPECT_EQ(unaudited.status, 500);
    EXPECT_EQ(unaudited.message(), "数据库操作失败");
    EXPECT_EQ(unaudited.body.find(batch[0].KI_CODE), std::string::npos);
}

TEST_P(Service, ModifyChangesOnlySetMembersAndKiIsNotStoredPlain)
{
    const SRemoteSimInfoList added = cards(7000, 1);
    ASSERT_EQ(refusal(&Remote::add_simInfo, added), "");
    ASSERT_EQ(refusal(&Remote::mod_simInfo, one<SRemoteSimInfoList>([&](auto& c) {
                  c.set_IMSI(added[0].IMSI);
                  c.set_REMARK("改过");
              })),
              "");
    const SRemoteSimInfoList found = sims(added[0].IMSI, added[0].IMSI);
    ASSERT_EQ(found.count(), 1);
    EXPECT_EQ(found[0].REMARK, "改过");
    EXPECT_EQ(found[0].PIN2, "12345678");
    EXPECT_EQ(found[0].KI_CODE, "0123456789ABCDEF0123456789abcdef");
    EXPECT_EQ(found[0].KI_KEY, "KEY00001");

    const std::string ki = stored("SELECT KI_CODE FROM rsim_sim WHERE IMSI = ?", {added[0].IMSI});
    EXPECT_EQ(ki.rfind("s1:", 0), 0U);
    EXPECT_EQ(ki.find("0123456789ABCDEF"), std::string::npos);
    EXPECT_EQ(count("SELECT COUNT(*) FROM sys_audit WHERE RECORD_KEY LIKE ?",
                    {"%" + added[0].IMSI + "%"}),
              2);
}

// A writer whose checks ran before another writer stored the same IMSI loses the race at the
// unique index; its answer names the IMSI as the checks would have, not the driver's text.
TEST_P(Service, AWriterThatLosesARaceForAnImsiIsToldWhichCard)
{
    if (GetParam() != Backend::Postgres)
        GTEST_SKIP() << "SQLite admits one writer at a time: its checks and insert cannot "
                        "interleave with another's";
    SRemoteSimInfoList batch = cards(7200, 2);
    auto rival = database();
    rival->begin();
    rival->exec("INSERT INTO rsim_sim (IMSI, SIM_ID) VALUES (?, ?)",
                {batch[1].IMSI, "89860099999999999999"});
    const rsim::db::Value rivalPid = rival->scalar("SELECT pg_backend_pid()");
    CBSErrorMsg error;
    auto writer = std::async(std::launch::async,
                             [&] { return remote_.add_simInfo(info_, batch, error, nullptr); });
    // The writer's insert waits for the rival's row; then the rival commits.
    while (count("SELECT COUNT(*) FROM pg_stat_activity WHERE ? = ANY(pg_blocking_pids(pid))",
                 {rivalPid}) == 0)
        ASSERT_NE(writer.wait_for(std::chrono::milliseconds(10)), std::future_status::ready)
            << "the writer finished without waiting for the rival: " << error.message << error.hint;
    rival->commit();
    EXPECT_NE(writer.get(), 0);
    EXPECT_EQ(error.minCode, 2);
    EXPECT_EQ(error.message, "IMSI已存在");
    EXPECT_EQ(error.hint, "第2条记录 IMSI=" + batch[1].IMSI);
    EXPECT_EQ(count("SELECT COUNT(*) FROM rsim_sim WHERE IMSI = ?", {batch[0].IMSI}), 0);
}

TEST_P(Service, AWriteSentAgainWithItsRequestIdIsAnsweredAsTheFirstAndAppliedOnce)
{
    const auto send = [&](const std::string& in, const std::string& id) {
        const auto answer = call("RMOSMQ01", in, "X-Tav-Request-Id: " + id + "\r\n");
        return std::to_string(answer.status) + " " + answer.body;
    };
    const auto adding = [&](const SResRemoteProvCodeList& list) {
        return request(Remote::CParamIn4add_provinceCode(info_, list, nullptr));
    };
    const char* stored =
        "SELECT COUNT(*) FROM sys_audit WHERE CODE = 'RMOSMQ01' AND RECORD_KEY LIKE ?";
    const std::string first = send(adding(provinces({{"81", "一"}})), "write-1");
    EXPECT_EQ(first.rfind("200 ", 0), 0U) << first;
    EXPECT_EQ(send(adding(provinces({{"81", "一"}})), "write-1"), first);
    const std::string reused = send(adding(provinces({{"84", "四"}})), "write-1");
    EXPECT_EQ(reused.rfind("409 ", 0), 0U) << reused;
    EXPECT_NE(reused.find("请求编号已用于另一个请求"), std::string::npos) << reused;
    EXPECT_EQ(count("SELECT COUNT(*) FROM rsim_province WHERE PROVINCE_CODE = '84'"), 0);
    EXPECT_EQ(count(stored, {std::string("%PROVINCE_CODE=81")}), 1);
    EXPECT_NE(send(adding(provinces({{"81", "一"}})), "write-2").find("PROVINCE_CODE=81"),
              std::string::npos)
        << "a new id is a new write";
    EXPECT_EQ(send(adding(provinces({{"83", "三"}})), "bad id!").rfind("400 ", 0), 0U);

    SResRemoteProvCodeList list;
    for (int i = 0; i < 3000; ++i) {
        auto& p = *static_cast<SResRemoteProvCode*>(list.append());
        p.set_PROVINCE_CODE("P" + std::to_string(i));
        p.set_PROVINCE_NAME("并发");
    }
    const std::string batch = adding(list);
    auto together = std::async(std::launch::async, [&] { return send(batch, "write-3"); });
    const std::string alone = send(batch, "write-3");
    EXPECT_EQ(together.get(), alone);
    EXPECT_EQ(count("SELECT COUNT(*) FROM rsim_province WHERE PROVINCE_NAME = '并发'"), 3000);
    // An id is kept with the SHA-256 of the operation and the body, held in memory or spooled.
    const auto kept = [&](const char* id, const std::string& body) {
        const std::string text = "MResRemoteMgntApp_IResRemoteMgnt/RMOSMQ01\n" + body;
        unsigned char hash[crypto_hash_sha256_BYTES];
        crypto_hash_sha256(hash, reinterpret_cast<const unsigned char*>(text.data()), text.size());
        char hex[2 * sizeof hash + 1];
        EXPECT_EQ(this->stored("SELECT DIGEST FROM sys_request WHERE REQUEST_ID = ?", {id}),
                  sodium_bin2hex(hex, sizeof hex, hash, sizeof hash));
    };
    kept("write-1", adding(provinces({{"81", "一"}})));
    kept("write-3", batch);

    ASSERT_EQ(login("viewer", "viewer123"), "");
    database()->exec("INSERT INTO sys_oper_right (OP_ID, ENT_ID, PRIV_ID) VALUES (2, 53701, 10)");
    const std::string another = send(adding(provinces({{"82", "二"}})), "write-1");
    EXPECT_EQ(another.rfind("200 ", 0), 0U) << another;
    EXPECT_EQ(count(stored, {std::string("%PROVINCE_CODE=82")}), 1);
}

TEST_P(Service, ASigtermDuringALargeWriteStillStoresAndAnswersIt)
{
    const auto writeRunning = [&] {
        const std::string text =
            rawhttp::exchange(server_->metricsPort(), rawhttp::get("/metrics")).body;
        const std::string gauge = "rsimd_database_connections{state=\"in_use\"} ";
        const std::size_t at = text.find(gauge);
        return at != std::string::npos && std::atof(text.c_str() + at + gauge.size()) > 0;
    };
    const SRemoteSimInfoList batch = cards(200000, 100000);
    CBSErrorMsg error;
    auto writing = std::async(std::launch::async,
                              [&] { return remote_.add_simInfo(info_, batch, error, nullptr); });
    while (!writeRunning())
        ASSERT_EQ(writing.wait_for(std::chrono::milliseconds(20)), std::future_status::timeout)
            << "the write ended before the signal: " << error.message;
    EXPECT_EQ(server_->stop(), 0);
    EXPECT_EQ(writing.get(), 0) << error.message << error.hint;
    EXPECT_EQ(count("SELECT COUNT(*) FROM rsim_sim WHERE IMSI BETWEEN ? AND ?",
                    {std::string("460009900200000"), std::string("460009900299999")}),
              100000);
}

TEST(ServiceSetting, MaxRowsCapsEveryQueryWhateverMaxNumAsksAndNoMetricsLeavesTheHealth)
{
    testsupport::RsimdProcess server(Backend::Sqlite, 2, {"--max-rows", "50", "--no-metrics"});
    for (const auto& [path, status] : {std::pair{"/metrics", 404}, {"/v1/health", 200}})
        EXPECT_EQ(rawhttp::exchange(server.port(), rawhttp::get(path)).status, status) << path;
    ASSERT_EQ(testsupport::logIn(server.address()), "");
    CBSErrorMsg error;
    MResRemoteMgntApp::IResRemoteMgnt remote;
    ASSERT_EQ(remote.bind(server.address()), 0);
    for (int asked : {-1, 0, 2147483647, 51}) {
        SRemoteSimQryIn criteria;
        criteria.set_MAX_NUM(asked);
        SRemoteSimInfoList found;
        ASSERT_EQ(remote.qry_simInfo(criteria, found, error, nullptr), 0) << error.message;
        EXPECT_EQ(found.count(), 50) << "MAX_NUM " << asked;
    }
}

RSIM_ON_EVERY_BACKEND(Service);

TEST(Startup, BadOptionsPortInUseAndBadDatabasesGiveClearErrors)
{
    const testsupport::LoopbackPort taken(testsupport::LoopbackPort::Behaviour::Silent);
    const std::string port = taken.address().substr(taken.address().rfind(':') + 1);
    const testsupport::TemporaryFolder folder;
    const std::string nowhere = " --db sqlite:/proc/nowhere/rsim.db";
    for (const auto& [arguments, said] : std::vector<std::pair<std::string, std::string>>{
             {"--bogus", "unknown option '--bogus'"},
             {"--db mysql://x --key-file /tmp/k", "unsupported database address"},
             {nowhere, "/proc/nowhere/rsim.db"},
             {"--listen 0.0.0.0:0 --insecure-http" + nowhere, "warning: --insecure-http"},
             {"--db sqlite:" + folder.path() + "/r.db --listen 127.0.0.1:" + port,
              "cannot listen on 127.0.0.1:" + port},
             {"--listen 0.0.0.0:0" + nowhere, "--listen 0.0.0.0:0 would serve plain HTTP"}}) {
        std::string errors;
        EXPECT_EQ(testsupport::runRsimd(arguments, errors), 2) << arguments;
        EXPECT_NE(errors.find(said), std::string::npos) << errors;
        if (said.ends_with("plain HTTP")) {
            EXPECT_EQ(errors.find("/proc/nowhere"), std::string::npos) << "before the database";
        }
    }
}

// The service's connection pool: a connection always comes out of it ready for a request.
using DriverPool = testsupport::DatabaseTest;

// A handler that fails between begin() and commit() hands its connection back mid-transaction;
// the next request on that connection must neither see nor commit its writes.
TEST_P(DriverPool, AConnectionHandedBackInATransactionComesOutAgainRolledBack)
{
    rsim::DriverPool pool(database_->address(), 1);
    pool.acquire()->exec("CREATE TABLE item (n INTEGER)");
    {
        auto db = pool.acquire();
        db->begin();
        db->exec("INSERT INTO item (n) VALUES (1)");
    }
    auto db = pool.acquire();
    EXPECT_FALSE(db->inTransaction());
    EXPECT_EQ(rsim::db::asInt(db->scalar("SELECT COUNT(*) FROM item")), 0);
    rsim::db::Transaction tx(*db);
    db->exec("INSERT INTO item (n) VALUES (2)");
    tx.commit();
    EXPECT_EQ(number("SELECT SUM(n) FROM item"), 2);
}

RSIM_ON_EVERY_BACKEND(DriverPool);

} // namespace

// rsimd on PostgreSQL while its database server ends its connections, turns read-only or stops
// answering: each call then answers 503 with Retry-After, and the next one a new connection.
class DatabaseOutage : public testsupport::ServiceTest {
protected:
    DatabaseOutage() { rsimdArguments_ = {"--db-timeout", "1"}; }

    // The status of each answer of send, up to the first that is not 503.
    static std::vector<int> statusesUntilServed(const std::function<rawhttp::HttpAnswer()>& send)
    {
        std::vector<int> statuses;
        for (int tries = 0; tries < 4 && (statuses.empty() || statuses.back() == 503); ++tries) {
            const auto answer = send();
            statuses.push_back(answer.status);
            if (answer.status == 503) {
                EXPECT_EQ(answer.headers.at("retry-after"), "2") << answer.text();
            }
        }
        return statuses;
    }
    rawhttp::HttpAnswer addProvince(const char* code, const std::string& requestId)
    {
        return call(
            "RMOSMQ01",
            request(Remote::CParamIn4add_provinceCode(info_, provinces({{code, "停"}}), nullptr)),
            "X-Tav-Request-Id: " + requestId + "\r\n");
    }
    rawhttp::HttpAnswer logIn() const
    {
        return rawhttp::exchange(
            server_->port(),
            rawhttp::post("/v1/login", R"({"login":"admin","password":"admin123"})"));
    }
    rawhttp::HttpAnswer health() const
    {
        return rawhttp::exchange(server_->port(), rawhttp::get("/v1/health"));
    }
    // The server processes of rsimd's connections, seen from the test server's own database.
    std::vector<pid_t> rsimdBackends() const
    {
        std::vector<pid_t> pids;
        server()->query("SELECT pid FROM pg_stat_activity WHERE datname = ?", {databaseName()},
                        [&](const rsim::db::Row& row) {
                            pids.push_back(static_cast<pid_t>(rsim::db::asInt(row[0])));
                        });
        return pids;
    }
    void endRsimdConnections() const
    {
        server()->exec("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE datname = ?",
                       {databaseName()});
    }
    void setReadOnly(bool readOnly) const
    {
        server()->exec("ALTER DATABASE " + databaseName() +
                       (readOnly ? " SET default_transaction_read_only = on"
                                 : " RESET default_transaction_read_only"));
        endRsimdConnections();
    }

private:
    static std::unique_ptr<rsim::db::Driver> server()
    {
        return rsim::db::connect(std::getenv("RSIM_TEST_PG"));
    }
    std::string databaseName() const
    {
        return server_->database().substr(server_->database().rfind('/') + 1);
    }
};

TEST_P(DatabaseOutage, ALostOrReadOnlyConnectionIsAnswered503AndReopened)
{
    endRsimdConnections();
    EXPECT_EQ(statusesUntilServed([&] { return logIn(); }), (std::vector{503, 200}));
    endRsimdConnections();
    EXPECT_EQ(statusesUntilServed([&] { return addProvince("81", "lost-1"); }),
              (std::vector{503, 200}));

    setReadOnly(true);
    EXPECT_EQ(statusesUntilServed([&] { return addProvince("82", "read-only-1"); }),
              (std::vector{503, 503, 503, 503}));
    EXPECT_EQ(health().status, 503) << "no primary answers";
    setReadOnly(false);
    EXPECT_EQ(statusesUntilServed([&] { return addProvince("82", "read-only-1"); }).back(), 200);
    EXPECT_EQ(health().status, 200);
    EXPECT_EQ(count("SELECT COUNT(*) FROM rsim_province WHERE PROVINCE_CODE IN ('81', '82')"), 2);
}

// A round trip past the deadline is abandoned, whether its server is stopped or waits for a
// lock; the write's retry with its request id is then applied once.
TEST_P(DatabaseOutage, ACallOnAStoppedOrWaitingServerIsAbandonedAtTheDeadline)
{
    {
        const std::vector<pid_t> stopped = rsimdBackends();
        for (const pid_t pid : stopped)
            ::kill(pid, SIGSTOP);
        const int status = addProvince("83", "stopped-1").status;
        for (const pid_t pid : stopped)
            ::kill(pid, SIGCONT);
        EXPECT_EQ(status, 503);
    }
    auto locker = database();
    locker->begin();
    locker->exec("LOCK TABLE rsim_province");
    EXPECT_EQ(addProvince("84", "locked-1").status, 503);
    locker->rollback();
    const auto first = addProvince("84", "locked-1");
    EXPECT_EQ(first.status, 200) << first.text();
    EXPECT_EQ(addProvince("84", "locked-1").body, first.body);
    EXPECT_EQ(count("SELECT COUNT(*) FROM rsim_province WHERE PROVINCE_CODE = '84'"), 1);
}

// Writes that find the storage full are refused 507, reads go on, and health and the metrics
// show it until a write is stored again.
TEST_P(DatabaseOutage, AFullStorageRefusesWritesWith507WhileReadsGoOn)
{
    const auto scraped = [&] {
        const std::string text =
            rawhttp::exchange(server_->metricsPort(), rawhttp::get("/metrics")).body;
        const std::size_t at = text.find("\nrsimd_storage_full ");
        return at == std::string::npos ? "none" : text.substr(at + 20, 1);
    };
    database()->exec(
        "CREATE FUNCTION no_space() RETURNS trigger AS $$ BEGIN RAISE EXCEPTION "
        "'could not extend file' USING ERRCODE = 'disk_full'; END $$ LANGUAGE plpgsql");
    database()->exec("CREATE TRIGGER no_space BEFORE INSERT ON rsim_province FOR EACH ROW "
                     "EXECUTE FUNCTION no_space()");
    const auto refused = addProvince("85", "full-1");
    EXPECT_EQ(refused.status, 507);
    EXPECT_EQ(refused.message(), "数据库存储空间已满，本次写入未保存");
    EXPECT_EQ(health().document().value("status", ""), "storage full");
    EXPECT_EQ(scraped(), "1");
    SResRemoteProvCodeList found;
    EXPECT_EQ(remote_.qry_provinceCode(SResRemoteProvCode(), found, error_, nullptr), 0)
        << error_.message;

    database()->exec("DROP TRIGGER no_space ON rsim_province");
    EXPECT_EQ(addProvince("85", "full-1").status, 200) << "the refused write was not kept";
    EXPECT_EQ(health().document().value("status", ""), "ok");
    EXPECT_EQ(scraped(), "0");
}

INSTANTIATE_TEST_SUITE_P(Backends, DatabaseOutage, ::testing::Values(Backend::Postgres),
                         testsupport::backendName);
