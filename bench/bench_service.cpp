// The service's figures: a small query round trip, a 100,000-card commit, and an IMSI range
// query on 1,000,000 cards, each against a baseline measured in the same run.
#include "ResRemoteSimMgnt_tvd_c.h"
#include "bench_common.h"
#include "driver.h"
#include "rsimd_process.h"
#include "secrets.h"
#include "sim_cards.h"
#include "sysmgnt_def_tvd_c.h"

#include <httplib.h>

#include <algorithm>
#include <cstdlib>

using namespace MResRemoteMgntDef;
using testsupport::RsimdProcess;

namespace {

MResRemoteMgntApp::SOpInfo opInfo()
{
    MResRemoteMgntApp::SOpInfo info;
    info.set_OP_ID(1);
    return info;
}

void login(const RsimdProcess& server)
{
    setenv("TAV_BROKER_TAVORINE", server.address().c_str(), 1);
    MSysmgntDef::SOperator op;
    CBSErrorMsg error;
    if (tvd_login("TAVORINE", "admin", "admin123", op, error) != 0)
        std::exit(1);
}

void queryRoundTrip()
{
    RsimdProcess server;
    login(server);
    MResRemoteMgntApp::IResRemoteMgnt client;
    client.bind(server.address());
    SResRemoteProvCode criteria;
    criteria.set_PROVINCE_CODE("44");
    const std::string body = R"({"in":{"sResRemoteProvCode":{"PROVINCE_CODE":"44"}}})";
    httplib::Client raw(server.address());
    raw.set_tcp_nodelay(true);
    raw.set_keep_alive(true);
    const httplib::Headers headers{{"X-Tav-Session", tvd_processSession()}};
    constexpr int kCalls = 500;
    const double middleware = millis(
        [&] {
            for (int i = 0; i < kCalls; ++i) {
                SResRemoteProvCodeList out;
                CBSErrorMsg error;
                client.qry_provinceCode(criteria, out, error, nullptr);
            }
        },
        3);
    const double bare = millis(
        [&] {
            for (int i = 0; i < kCalls; ++i)
                raw.Post("/v1/call/MResRemoteMgntApp_IResRemoteMgnt/RMOSMQ04", headers, body,
                         "application/json");
        },
        3);
    report("query round trip through CResRemoteSim's proxy (500 calls)", middleware, bare, 2);
}

void commitHundredThousand(RsimdProcess::Backend backend, const char* name, double aim)
{
    RsimdProcess server(backend);
    login(server);
    MResRemoteMgntApp::IResRemoteMgnt client;
    client.bind(server.address());
    SRemoteSimInfoList cards;
    cards.reserve(100000);
    for (int i = 0; i < 100000; ++i)
        cards.push_back(card(i));
    CBSErrorMsg error;
    const double service = millis([&] {
        if (client.add_simInfo(opInfo(), cards, error, nullptr) != 0)
            std::printf("refused: %s %s\n", error.message.c_str(), error.hint.c_str());
    });
    auto db = rsim::db::connect(server.database());
    db->exec("CREATE TABLE bench_sim AS SELECT * FROM rsim_sim WHERE 1 = 0");
    db->exec("CREATE UNIQUE INDEX bench_sim_imsi ON bench_sim (IMSI)");
    db->exec("CREATE UNIQUE INDEX bench_sim_sim ON bench_sim (SIM_ID)");
    const auto box = rsim::secrets::SecretBox::withRandomKey();
    const double bare = millis([&] {
        const auto rows = rowsOf(cards, box);
        rsim::db::Transaction tx(*db);
        db->insertMany("bench_sim", simColumns(), rows);
        tx.commit();
    });
    report(name, service, bare, aim);
}

void rangeQueryOnAMillion(int runs)
{
    RsimdProcess server;
    {
        auto db = rsim::db::connect(server.database());
        const auto box = rsim::secrets::SecretBox::fromKeyFile(server.keyFile(), false);
        storeCards(*db, box, 0, 1000000);
    }
    login(server);
    MResRemoteMgntApp::IResRemoteMgnt client;
    client.bind(server.address());
    SRemoteSimQryIn criteria;
    criteria.set_START_IMSI("460020000500000");
    criteria.set_END_IMSI("460020000600000");
    criteria.set_MAX_NUM(50);
    {
        SRemoteSimInfoList found;
        CBSErrorMsg error;
        client.qry_simInfo(criteria, found, error, nullptr);
        std::printf("range query answers %d cards (%s)\n", found.count(), error.message.c_str());
    }
    constexpr int kQueries = 100;
    const double service = millisOfCalls(
        kQueries,
        [&] {
            SRemoteSimInfoList found;
            CBSErrorMsg error;
            client.qry_simInfo(criteria, found, error, nullptr);
        },
        runs);
    auto db = rsim::db::connect(server.database());
    const double direct = millis([&] { bareRangeQuery(*db, kQueries); }, runs);
    report("IMSI range query, MAX_NUM 50, on 1,000,000 cards (100 queries)", service, direct, 3);
}

} // namespace

// bench_service [query|commit|range [RUNS]]: all figures, or the one named (to profile it alone;
// the range query's best of RUNS rounds, 3 unless given).
int main(int argc, char** argv)
{
    const std::string only = argc > 1 ? argv[1] : "";
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    auto wanted = [&](const char* name) { return only.empty() || only == name; };
    if (wanted("query"))
        queryRoundTrip();
    if (wanted("commit")) {
        commitHundredThousand(RsimdProcess::Backend::Sqlite, "add_simInfo of 100,000 cards, SQLite",
                              4);
        if (RsimdProcess::postgresAvailable())
            commitHundredThousand(RsimdProcess::Backend::Postgres,
                                  "add_simInfo of 100,000 cards, PostgreSQL", 3);
        else
            std::printf("add_simInfo on PostgreSQL: skipped (set RSIM_TEST_PG)\n");
    }
    if (wanted("range"))
        rangeQueryOnAMillion(runs);
}
