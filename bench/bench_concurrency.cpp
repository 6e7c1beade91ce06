// Many operators at once: 16 and 64 clients mixing small queries, IMSI range queries and one-card
// writes against rsimd on SQLite and on PostgreSQL, each load against the same clients calling the
// ping route; then the readers' latency while a 100,000-card commit runs, beside the time of a
// durable sync on the same disk.
//
//   bench_concurrency [THREADS ...]   rsimd's worker threads to try (0, the default: rsimd's own)
//   bench_concurrency commit          only the readers beside the commit, on SQLite and, when
//                                     RSIM_TEST_PG is set, PostgreSQL (to profile)
#include "bench_common.h"
#include "rsimd_process.h"
#include "sim_cards.h"
#include "tvd_json.h"
#include "tvd_json_tree.h"

#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

using testsupport::RsimdProcess;

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kCallsPerLoad = 1920;        // shared by the clients of one load
constexpr long long kStoredCards = 200000; // the inventory the range queries read
constexpr int kCommitCards = 100000;
// The commits' cards, between the stored ones and those the loads write (from 10,000,000 on,
// 10,000,000 more for each load), so that no number of loads reaches them.
constexpr long long kCommitFirstCard = 5000000;
constexpr int kMaxReaderCalls = 20000; // per reader, should a commit never end
constexpr const char* kSimCall = "/v1/call/MResRemoteMgntApp_IResRemoteMgnt/";

std::string imsiOf(long long n)
{
    return card(n).IMSI;
}

// One client's keep-alive connection with the session of the bench's operator.
class Caller {
public:
    Caller(const std::string& address, const std::string& session) : http_(address)
    {
        http_.set_tcp_nodelay(true);
        http_.set_keep_alive(true);
        http_.set_read_timeout(300, 0);
        headers_.emplace("X-Tav-Session", session);
    }

    // True when the service answered the call with result 0.
    bool call(const std::string& code, const std::string& body)
    {
        auto answer = http_.Post((kSimCall + code).c_str(), headers_, body, "application/json");
        const bool done = answer && answer->status == 200 &&
                          answer->body.find("\"result\":0") != std::string::npos;
        if (!done && std::getenv("BENCH_SHOW_FAILURES"))
            std::fprintf(stderr, "%s failed: %s\n", code.c_str(),
                         answer ? answer->body.substr(0, 300).c_str()
                                : httplib::to_string(answer.error()).c_str());
        return done;
    }
    bool ping()
    {
        auto answer = http_.Get("/v1/ping");
        return answer && answer->status == 200;
    }

private:
    httplib::Client http_;
    httplib::Headers headers_;
};

std::string login(const std::string& address)
{
    httplib::Client http(address);
    auto answer =
        http.Post("/v1/login", R"({"login":"admin","password":"admin123"})", "application/json");
    if (!answer)
        std::exit(1);
    return nlohmann::json::parse(answer->body).at("session").get<std::string>();
}

std::string addBody(long long firstCard, int count)
{
    MResRemoteMgntApp::SOpInfo info;
    info.set_OP_ID(1);
    MResRemoteMgntDef::SRemoteSimInfoList cards;
    cards.reserve(count);
    for (int i = 0; i < count; ++i)
        cards.push_back(card(firstCard + i));
    return nlohmann::json{
        {"in",
         {{"sOpInfo", tvd::wire::encode(info)}, {"listRemoteSimInfo", tvd::wire::encode(cards)}}}}
        .dump();
}

std::string rangeBody(long long first)
{
    return nlohmann::json{{"in",
                           {{"sIn",
                             {{"START_IMSI", imsiOf(first)},
                              {"END_IMSI", imsiOf(first + 100000)},
                              {"MAX_NUM", 50}}}}}}
        .dump();
}

const std::string kSmallQuery = R"({"in":{"sResRemoteProvCode":{"PROVINCE_CODE":"44"}}})";

// The k-th call of a client in the mix: 6 small queries, 3 range queries, 1 one-card write in 10.
bool mixedCall(Caller& caller, int client, int k, long long writeBase)
{
    switch (k % 10) {
    case 3:
    case 6:
    case 9:
        return caller.call("RMOSMQ28",
                           rangeBody((client * 7919LL + k * 104729LL) % (kStoredCards - 100)));
    case 5: return caller.call("RMOSMQ25", addBody(writeBase + client * 100000LL + k, 1));
    default: return caller.call("RMOSMQ04", kSmallQuery);
    }
}

struct Load {
    std::vector<double> latencies; // ms, every call
    double seconds = 0;
    int failures = 0;

    double percentile(double p)
    {
        std::sort(latencies.begin(), latencies.end());
        return latencies.empty() ? 0
                                 : latencies[static_cast<std::size_t>(
                                       p * static_cast<double>(latencies.size() - 1))];
    }
    double throughput() const { return static_cast<double>(latencies.size()) / seconds; }
};

// Runs clients at once, each making calls until stop says so; all latencies together.
template <class Call, class Stop>
Load runClients(const std::string& address, const std::string& session, int clients, Call call,
                Stop stop)
{
    std::vector<Load> each(static_cast<std::size_t>(clients));
    std::vector<std::thread> threads;
    const auto start = Clock::now();
    for (int c = 0; c < clients; ++c)
        threads.emplace_back([&, c] {
            Caller caller(address, session);
            Load& mine = each[static_cast<std::size_t>(c)];
            for (int k = 0; !stop(k); ++k) {
                const auto sent = Clock::now();
                mine.failures += call(caller, c, k) ? 0 : 1;
                mine.latencies.push_back(
                    std::chrono::duration<double, std::milli>(Clock::now() - sent).count());
            }
        });
    for (auto& t : threads)
        t.join();
    Load all;
    all.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    for (auto& one : each) {
        all.latencies.insert(all.latencies.end(), one.latencies.begin(), one.latencies.end());
        all.failures += one.failures;
    }
    return all;
}

void print(const char* what, Load& load, Load& baseline)
{
    const double p50 = load.percentile(0.50), p99 = load.percentile(0.99);
    const double b50 = baseline.percentile(0.50), b99 = baseline.percentile(0.99);
    std::printf("  %s: %.0f calls/s, p50 %.2f ms, p99 %.2f ms%s | ping %.0f calls/s, p50 %.2f ms, "
                "p99 %.2f ms"
                " | ratios: throughput %.2f, p50 %.2f, p99 %.2f\n",
                what, load.throughput(), p50, p99,
                load.failures ? (" (" + std::to_string(load.failures) + " FAILED)").c_str() : "",
                baseline.throughput(), b50, b99, baseline.throughput() / load.throughput(),
                p50 / b50, p99 / b99);
    std::fflush(stdout);
}

void mixedLoads(const RsimdProcess& server, const std::string& session, const char* backend,
                int threads)
{
    static long long writeBase = 10000000;
    for (int clients : {16, 64}) {
        const int calls = kCallsPerLoad / clients;
        const long long base = writeBase;
        writeBase += 10000000;
        Load mix = runClients(
            server.address(), session, clients,
            [&](Caller& caller, int c, int k) { return mixedCall(caller, c, k, base); },
            [&](int k) { return k >= calls; });
        Load ping = runClients(
            server.address(), session, clients,
            [](Caller& caller, int, int) { return caller.ping(); },
            [&](int k) { return k >= calls; });
        const std::string what = std::to_string(clients) + " clients, " + backend + ", " +
                                 std::to_string(threads) +
                                 " workers, mix of small/range queries and writes";
        print(what.c_str(), mix, ping);
    }
}

// Readers before and during one commit of 100,000 cards numbered from firstCard.
void readersDuringCommit(const RsimdProcess& server, const std::string& session,
                         const char* backend, int readers, long long firstCard)
{
    // The longest call of each kind: a range query reveals the KI, so its answer waits for its
    // audit row to be durable; a small query has none.
    std::mutex longestMutex;
    double longest[2] = {0, 0};
    auto read = [&](Caller& caller, int c, int k) {
        const auto sent = Clock::now();
        const bool done = k % 2 ? caller.call("RMOSMQ28", rangeBody((c * 7919LL + k * 104729LL) %
                                                                    (kStoredCards - 100)))
                                : caller.call("RMOSMQ04", kSmallQuery);
        const double took = std::chrono::duration<double, std::milli>(Clock::now() - sent).count();
        std::lock_guard lock(longestMutex);
        longest[k % 2] = std::max(longest[k % 2], took);
        return done;
    };
    Load alone =
        runClients(server.address(), session, readers, read, [](int k) { return k >= 100; });
    // What an audited answer waits for at least, a durable sync on the service's disk, alone and
    // beside the commit.
    const std::string folder = std::filesystem::path(server.keyFile()).parent_path().string();
    int syncs = 0;
    const auto syncsAlone = syncTimes(folder, [&] { return ++syncs == 51; });
    const std::string body = addBody(firstCard, kCommitCards);
    std::atomic<bool> committed{false};
    bool accepted = false;
    double commitSeconds = 0;
    std::thread writer([&] {
        Caller caller(server.address(), session);
        const auto start = Clock::now();
        accepted = caller.call("RMOSMQ25", body);
        commitSeconds = std::chrono::duration<double>(Clock::now() - start).count();
        committed = true;
    });
    const double longestAlone[2] = {longest[0], longest[1]};
    longest[0] = longest[1] = 0;
    std::vector<double> syncsDuring;
    std::thread prober([&] { syncsDuring = syncTimes(folder, [&] { return committed.load(); }); });
    Load during = runClients(server.address(), session, readers, read,
                             [&](int k) { return committed || k >= kMaxReaderCalls; });
    writer.join();
    prober.join();
    std::printf("  %d readers, %s, during a %d-card commit (%.1f s%s): %zu calls, p50 %.2f ms, p99 "
                "%.2f ms, "
                "longest %.0f ms | without the commit: p50 %.2f ms, p99 %.2f ms | p99 ratio %.2f\n",
                readers, backend, kCommitCards, commitSeconds, accepted ? "" : ", REFUSED",
                during.latencies.size(), during.percentile(0.5), during.percentile(0.99),
                during.percentile(1.0), alone.percentile(0.5), alone.percentile(0.99),
                during.percentile(0.99) / alone.percentile(0.99));
    std::printf("    longest small query %.0f ms, audited range query %.0f ms | without the "
                "commit: %.0f ms, %.0f ms\n",
                longest[0], longest[1], longestAlone[0], longestAlone[1]);
    std::printf("    a 4 KiB write and sync in the service's folder: p50 %.1f ms, longest %.0f ms "
                "(%zu syncs) | without the commit: p50 %.1f ms, longest %.0f ms\n",
                syncsDuring[syncsDuring.size() / 2], syncsDuring.back(), syncsDuring.size(),
                syncsAlone[syncsAlone.size() / 2], syncsAlone.back());
    std::fflush(stdout);
}

void benchBackend(RsimdProcess::Backend backend, const char* name, int threads, bool withCommit,
                  bool onlyCommit = false)
{
    RsimdProcess server(backend, threads);
    {
        auto db = rsim::db::connect(server.database());
        storeCards(*db, rsim::secrets::SecretBox::fromKeyFile(server.keyFile(), false), 0,
                   kStoredCards);
    }
    const std::string session = login(server.address());
    if (!onlyCommit)
        mixedLoads(server, session, name, threads);
    if (withCommit) {
        readersDuringCommit(server, session, name, 16, kCommitFirstCard);
        // An administrator alone beside the commit.
        readersDuringCommit(server, session, name, 1, kCommitFirstCard + kCommitCards);
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::string(argv[1]) == "commit") {
        benchBackend(RsimdProcess::Backend::Sqlite, "SQLite", 0, true, true);
        if (RsimdProcess::postgresAvailable())
            benchBackend(RsimdProcess::Backend::Postgres, "PostgreSQL", 0, true, true);
        return 0;
    }
    std::vector<int> threads;
    for (int i = 1; i < argc; ++i)
        threads.push_back(std::atoi(argv[i]));
    if (threads.empty())
        threads.push_back(0);
    std::printf("concurrent clients against rsimd (%d calls per load, %lld cards stored)\n",
                kCallsPerLoad, kStoredCards);
    for (int t : threads) {
        benchBackend(RsimdProcess::Backend::Sqlite, "SQLite", t, t == threads.back());
        if (RsimdProcess::postgresAvailable())
            benchBackend(RsimdProcess::Backend::Postgres, "PostgreSQL", t, t == threads.back());
        else
            std::printf("  PostgreSQL: skipped (set RSIM_TEST_PG)\n");
    }
}
