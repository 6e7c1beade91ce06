// The service's figures: a small query round trip, a 100,000-card commit, an IMSI range query
// on 1,000,000 cards, and calls with metrics on, each against a baseline measured in the same
// run.
#include "ResRemoteSimMgnt_tvd_c.h"
#include "bench_common.h"
#include "driver.h"
#include "rsimd_process.h"
#include "secrets.h"
#include "sim_cards.h"
#include "sysmgnt_def_tvd_c.h"

#include <httplib.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>

using namespace MResRemoteMgntDef;
using testsupport::RsimdProcess;

namespace {

MResRemoteMgntApp::SOpInfo opInfo()
{
    MResRemoteMgntApp::SOpInfo info;
    info.set_OP_ID(1);
    return info;
}

// admin sees the cards' secrets (each answer of them is audited), viewer does not.
void login(const RsimdProcess& server, const char* name = "admin",
           const char* password = "admin123")
{
    setenv("TAV_BROKER_TAVORINE", server.address().c_str(), 1);
    MSysmgntDef::SOperator op;
    CBSErrorMsg error;
    if (tvd_login("TAVORINE", name, password, op, error) != 0)
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

// What synchronous=FULL costs the SQLite card store against NORMAL, in one file beside the
// service's: 200 one-card writes, each committed alone, and one commit of 100,000 cards; the
// modes take turns, best of three rounds.
void durabilityCost()
{
    RsimdProcess server;
    const auto box = rsim::secrets::SecretBox::withRandomKey();
    SRemoteSimInfoList cards;
    for (int i = 0; i < 100200; ++i)
        cards.push_back(card(i));
    const auto rows = rowsOf(cards, box);
    const std::vector<rsim::db::Row> single(rows.begin(), rows.begin() + 200);
    const std::vector<rsim::db::Row> batch(rows.begin() + 200, rows.end());
    double small[2] = {1e300, 1e300}, large[2] = {1e300, 1e300};
    for (int round = 0; round < 3; ++round) {
        for (int full = 0; full < 2; ++full) {
            auto db = rsim::db::connect(server.database());
            db->exec(full ? "PRAGMA synchronous=FULL" : "PRAGMA synchronous=NORMAL");
            db->exec("CREATE TABLE bench_sim AS SELECT * FROM rsim_sim WHERE 1 = 0");
            db->exec("CREATE UNIQUE INDEX bench_sim_imsi ON bench_sim (IMSI)");
            db->exec("CREATE UNIQUE INDEX bench_sim_sim ON bench_sim (SIM_ID)");
            small[full] = std::min(small[full], millis([&] {
                                       for (const auto& row : single)
                                           db->insertMany("bench_sim", simColumns(), {row});
                                   }));
            large[full] = std::min(large[full], millis([&] {
                                       rsim::db::Transaction tx(*db);
                                       db->insertMany("bench_sim", simColumns(), batch);
                                       tx.commit();
                                   }));
            db->exec("DROP TABLE bench_sim");
        }
    }
    report("synchronous=FULL against NORMAL, 200 one-card commits", small[1], small[0], 0);
    report("synchronous=FULL against NORMAL, one commit of 100,000 cards", large[1], large[0], 0);
}

// The median time of writing 4 KiB over a file of the service's folder and syncing it, as a
// commit of the audit file syncs its log: what an answer that reveals secrets waits for at least.
double syncMillis(const RsimdProcess& server)
{
    int syncs = 0;
    const auto times = syncTimes(std::filesystem::path(server.keyFile()).parent_path().string(),
                                 [&] { return ++syncs == 51; });
    return times[25];
}

// The IMSI range query through the service, against the same SQL straight on the database: for
// an operator who sees the KI (each answer waits for its audit row to be durable) and for one
// who does not; then what bounds it: a durable commit, the bare HTTP call, the answer's size.
void rangeQueryRatio(const RsimdProcess& server, const char* name, int runs)
{
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
    const auto queries = [&] {
        return millisOfCalls(
            kQueries,
            [&] {
                SRemoteSimInfoList found;
                CBSErrorMsg error;
                client.qry_simInfo(criteria, found, error, nullptr);
            },
            runs);
    };
    const double audited = queries();
    auto db = rsim::db::connect(server.database());
    const double direct = millis([&] { bareRangeQuery(*db, kQueries); }, runs);
    report((std::string(name) + ", operator who sees the KI").c_str(), audited, direct, 0);
    login(server, "viewer", "viewer123");
    const double unaudited = queries();
    report((std::string(name) + ", operator who does not").c_str(), unaudited, direct, 3);
    httplib::Client raw(server.address());
    raw.set_tcp_nodelay(true);
    raw.set_keep_alive(true);
    const httplib::Headers headers{{"X-Tav-Session", tvd_processSession()}};
    const std::string body = R"({"in":{"sIn":{"START_IMSI":"460020000500000",)"
                             R"("END_IMSI":"460020000600000","MAX_NUM":50}}})";
    std::size_t bytes = 0;
    const double bare = millisOfCalls(
        kQueries,
        [&] {
            const auto answer = raw.Post("/v1/call/MResRemoteMgntApp_IResRemoteMgnt/RMOSMQ28",
                                         headers, body, "application/json");
            bytes = answer ? answer->body.size() : 0;
        },
        runs);
    report("  of which the service and the HTTP answer, not decoded (no KI)", bare, direct, 0);
    const double ping = millisOfCalls(
                            kQueries, [&] { raw.Get("/v1/ping"); }, runs) /
                        kQueries;
    std::printf("  per query: bare SQL %.3f ms, loopback HTTP round trip %.3f ms, write and sync 4 "
                "KiB (median) %.3f ms, answer %zu bytes\n",
                direct / kQueries, ping, syncMillis(server), bytes);
    std::fflush(stdout);
    login(server);
}

void rangeQueryOnAMillion(RsimdProcess::Backend backend, int runs)
{
    RsimdProcess server(backend);
    {
        auto db = rsim::db::connect(server.database());
        const auto box = rsim::secrets::SecretBox::fromKeyFile(server.keyFile(), false);
        storeCards(*db, box, 0, 1000000);
    }
    login(server);
    const std::string name = std::string("IMSI range query, MAX_NUM 50, on 1,000,000 cards, ") +
                             (backend == RsimdProcess::Backend::Sqlite ? "SQLite" : "PostgreSQL") +
                             " (100 queries)";
    rangeQueryRatio(server, name.c_str(), runs);
}

// Adds cards numbered first to first + count - 1 in one call; its time in ms.
double addCards(MResRemoteMgntApp::IResRemoteMgnt& client, long long first, long long count)
{
    SRemoteSimInfoList cards;
    cards.reserve(static_cast<std::size_t>(count));
    for (long long n = first; n < first + count; ++n)
        cards.push_back(card(n));
    CBSErrorMsg error;
    return millis([&] {
        if (client.add_simInfo(opInfo(), cards, error, nullptr) != 0)
            std::printf("refused: %s %s\n", error.message.c_str(), error.hint.c_str());
    });
}

// Calls to a service that counts them (metrics on) against the same calls to one started with
// --no-metrics, turn about: 2,000 small queries, and adds of 1,000 cards. The machine is shared:
// the best round's time, and the CPU time each service spent on all rounds together.
void metricsOnAgainstOff()
{
    std::unique_ptr<RsimdProcess> services[2];
    {
        // Both services' call logs, which they write alike, go to /dev/null.
        const int saved = ::dup(STDERR_FILENO);
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDERR_FILENO);
        services[0] = std::make_unique<RsimdProcess>(RsimdProcess::Backend::Sqlite, 4);
        services[1] = std::make_unique<RsimdProcess>(RsimdProcess::Backend::Sqlite, 4,
                                                     std::vector<std::string>{"--no-metrics"});
        ::dup2(saved, STDERR_FILENO);
        ::close(null);
        ::close(saved);
    }
    SResRemoteProvCode criteria;
    criteria.set_PROVINCE_CODE("44");
    struct Figures {
        double best = 1e300, cpu = 0;
    } queries[2], writes[2];
    // Runs work on service i, keeping its best time and adding the service's CPU time.
    const auto measure = [&services](int i, Figures& figures, const std::function<double()>& work) {
        const std::string pid = std::to_string(services[i]->pid());
        const double cpu = cpuMillisOf(pid);
        figures.best = std::min(figures.best, work());
        figures.cpu += cpuMillisOf(pid) - cpu;
    };
    for (int round = 0; round < 6; ++round)
        for (int i = 0; i < 2; ++i) {
            login(*services[i]);
            MResRemoteMgntApp::IResRemoteMgnt client;
            client.bind(services[i]->address());
            measure(i, queries[i], [&] {
                return millisOfCalls(2000, [&] {
                    SResRemoteProvCodeList out;
                    CBSErrorMsg error;
                    client.qry_provinceCode(criteria, out, error, nullptr);
                });
            });
            measure(i, writes[i], [&] { return addCards(client, 1000000 + round * 1000, 1000); });
        }
    report("2,000 small queries, metrics on against off", queries[0].best, queries[1].best, 1.05);
    report("  the service's CPU time", queries[0].cpu, queries[1].cpu, 1.05);
    report("add_simInfo of 1,000 cards, metrics on against off", writes[0].best, writes[1].best,
           1.05);
    report("  the service's CPU time", writes[0].cpu, writes[1].cpu, 1.05);
}

// What the database holds, in MiB: the SQLite file and its log, or the PostgreSQL database.
double databaseMiB(const RsimdProcess& server)
{
    const std::string& address = server.database();
    if (address.starts_with("sqlite:")) {
        const std::string path = address.substr(7);
        std::error_code ignored;
        double bytes = static_cast<double>(std::filesystem::file_size(path, ignored));
        if (std::filesystem::exists(path + "-wal"))
            bytes += static_cast<double>(std::filesystem::file_size(path + "-wal", ignored));
        return bytes / (1 << 20);
    }
    auto db = rsim::db::connect(address);
    return static_cast<double>(
               rsim::db::asInt(db->scalar("SELECT pg_database_size(current_database())"))) /
           (1 << 20);
}

// A stock of cards added through the service, 100,000 a call but one call of 1,000,000 (for the
// service's peak memory): the time per card of the first 100,000 and of the last against each
// other, then the range query at that size and what the database weighs.
void scale(RsimdProcess::Backend backend, const char* backendName, long long cards)
{
    constexpr long long kBatch = 100000, kLarge = 1000000;
    RsimdProcess server(backend);
    login(server);
    MResRemoteMgntApp::IResRemoteMgnt client;
    client.bind(server.address());
    const double first = addCards(client, 0, kBatch);
    const double idle = resetPeakOf(server.pid());
    addCards(client, kBatch, kLarge);
    std::printf("%s: a 1,000,000-card add_simInfo: service peak %.0f MiB, %.0f MiB above idle\n",
                backendName, statusMiBOf(server.pid(), "VmHWM"),
                statusMiBOf(server.pid(), "VmHWM") - idle);
    double last = 0;
    for (long long n = kBatch + kLarge; n < cards; n += kBatch)
        last = addCards(client, n, std::min(kBatch, cards - n));
    const std::string name = std::string(backendName) + ": " + std::to_string(cards) + " cards";
    if (last > 0)
        report((name + ", add_simInfo per card: the last 100,000 vs the first").c_str(), last,
               first, 0);
    const double mib = databaseMiB(server);
    std::printf("%s: the database weighs %.0f MiB, %.0f bytes a card\n", name.c_str(), mib,
                mib * (1 << 20) / static_cast<double>(cards));
    rangeQueryRatio(server, (name + ", IMSI range query, MAX_NUM 50 (100 queries)").c_str(), 3);
}

} // namespace

// bench_service [query|commit|range [RUNS]|metrics|durability]: all figures, or the one named (to
// profile it alone; the range query's best of RUNS rounds, 3 unless given, on each database).
// bench_service scale [CARDS [sqlite|postgresql]]: a stock of CARDS cards (10,000,000 unless given)
// on both databases or the one named; long (about an hour on two cores), never part of "all".
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
    if (wanted("range")) {
        rangeQueryOnAMillion(RsimdProcess::Backend::Sqlite, runs);
        if (RsimdProcess::postgresAvailable())
            rangeQueryOnAMillion(RsimdProcess::Backend::Postgres, runs);
        else
            std::printf("range query on PostgreSQL: skipped (set RSIM_TEST_PG)\n");
    }
    if (wanted("metrics"))
        metricsOnAgainstOff();
    if (wanted("durability"))
        durabilityCost();
    if (only == "scale") {
        const long long cards = argc > 2 ? std::atoll(argv[2]) : 10000000;
        const std::string backend = argc > 3 ? argv[3] : "";
        if (backend != "postgresql")
            scale(RsimdProcess::Backend::Sqlite, "SQLite", cards);
        if (backend == "sqlite")
            return 0;
        if (RsimdProcess::postgresAvailable())
            scale(RsimdProcess::Backend::Postgres, "PostgreSQL", cards);
        else
            std::printf("scale on PostgreSQL: skipped (set RSIM_TEST_PG)\n");
    }
}
