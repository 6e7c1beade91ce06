// Two rsimd on a PostgreSQL cluster of two nodes under Patroni (scripts/test-cluster.sh), on the
// address that names both nodes. Writers add batches of cards with request ids, retrying each
// until it is answered, and readers query, while the primary is killed, comes back as a standby,
// and the new primary is frozen and woken. Every acknowledged card is then stored once on the
// final primary, no batch in part, no call was answered 500 or waited past the database deadline,
// writes came back within a bound after each loss, and the woken node took no writes.
#include "secrets.h"
#include "service_fixture.h"

#include "http_transport.h"
#include "tvd_client.h"
#include "tvd_json_stream.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <optional>
#include <set>
#include <thread>

using namespace MResRemoteMgntDef;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Remote = MResRemoteMgntApp::IResRemoteMgnt;

namespace {

constexpr int kWriters = 4, kReaders = 2, kCardsPerBatch = 100;
constexpr auto kDatabaseDeadline = 3s; // rsimd's --db-timeout
constexpr auto kConnectTimeout = 2s;   // the address's connect_timeout, per node
constexpr auto kRetryPause = 200ms;
constexpr auto kBetweenCalls = 100ms; // a client's pause after an answer
constexpr auto kFreeze = 20s;         // well past the lease (ttl 10 s) and the deadline
constexpr auto kWritesBack = 25s;     // after the loss of the primary
constexpr auto kRoleChange = 60s;     // a node's promotion, or its return as a standby
// A call may meet the deadline on a pooled connection to the frozen node and then connect past
// it to the other one.
constexpr auto kLongestCall = kDatabaseDeadline + kConnectTimeout + 2s;

double seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

// The cluster of scripts/test-cluster.sh, stopped when the object goes (or when this process
// ends without it).
class Cluster {
public:
    Cluster()
    {
        FILE* out =
            ::popen(("bash " CLUSTER_SCRIPT " start " + std::to_string(::getpid())).c_str(), "r");
        char line[512];
        while (std::fgets(line, sizeof line, out) != nullptr)
            dir_ = std::string(line, std::strcspn(line, "\n"));
        const int status = ::pclose(out);
        status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        if (status_ != 0)
            dir_.clear();
        std::ifstream ports(dir_ + "/ports");
        ports >> etcd_ >> pg_[0] >> pg_[1] >> api_[0] >> api_[1];
    }
    ~Cluster()
    {
        if (!dir_.empty())
            script("stop " + dir_);
    }
    Cluster(const Cluster&) = delete;
    Cluster& operator=(const Cluster&) = delete;

    // 0 when it runs; 77 when Patroni or etcd is missing.
    int status() const { return status_; }
    // Both nodes, the primary wherever it is.
    std::string address(const std::string& database) const
    {
        return "postgresql://postgres@127.0.0.1:" + std::to_string(pg_[0]) +
               ",127.0.0.1:" + std::to_string(pg_[1]) + "/" + database +
               "?target_session_attrs=read-write&connect_timeout=" +
               std::to_string(kConnectTimeout.count());
    }
    // Node 1 or 2.
    void signal(int node, const std::string& name) const
    {
        script("signal " + dir_ + " " + std::to_string(node) + " " + name);
    }
    // The last 40 lines of each node's Patroni log but those saying all is as it was, for a
    // failure's message.
    std::string logs() const
    {
        std::string tails;
        for (int node = 1; node <= 2; ++node) {
            std::ifstream log(dir_ + "/n" + std::to_string(node) + "/patroni.log");
            std::vector<std::string> lines;
            for (std::string line; std::getline(log, line);)
                if (line.find("INFO: no action.") == std::string::npos)
                    lines.push_back(line + "\n");
            tails += "node " + std::to_string(node) + ":\n";
            for (std::size_t i = lines.size() > 40 ? lines.size() - 40 : 0; i < lines.size(); ++i)
                tails += lines[i];
        }
        return tails;
    }
    void startAgain(int node) const { script("node " + dir_ + " " + std::to_string(node)); }
    // Whether Patroni's check path (/primary, /sync, /replica) answers 200 on the node.
    bool is(int node, const std::string& path) const
    {
        tvd::HttpTransport api("http://127.0.0.1:" + std::to_string(api_[node - 1]));
        api.setTimeouts(1, 1);
        return api.get(path).status == 200;
    }
    bool await(int node, const std::string& path, Clock::duration patience) const
    {
        for (const auto end = Clock::now() + patience; Clock::now() < end;
             std::this_thread::sleep_for(200ms))
            if (is(node, path))
                return true;
        return false;
    }

private:
    static void script(const std::string& arguments)
    {
        std::system(("bash " CLUSTER_SCRIPT " " + arguments).c_str());
    }

    std::string dir_;
    int status_ = -1;
    int etcd_ = 0, pg_[2] = {}, api_[2] = {};
};

// One HTTP exchange of a client with an rsimd.
struct Call {
    Clock::time_point start, end;
    long status = 0; // 0: no answer
    bool answered = false;
    bool write = false;
};

// A client's connections to both rsimd: a call goes to one, and when it is not answered, after
// a pause to the other, with the same body and request id, until answered or until the client
// gives up.
class Client {
public:
    explicit Client(const std::vector<std::string>& addresses)
    {
        for (const auto& address : addresses) {
            rsimd_.push_back(std::make_unique<tvd::HttpTransport>(address));
            rsimd_.back()->setTimeouts(3, 120);
        }
    }

    bool call(const std::string& path, const std::string& body, const std::string& requestId,
              Clock::time_point giveUp)
    {
        for (std::size_t attempt = 0; Clock::now() < giveUp; ++attempt) {
            Call exchange{Clock::now(), {}, 0, false, !requestId.empty()};
            const auto result = rsimd_[(next_ + attempt) % rsimd_.size()]->post(
                path, body, {tvd_processSession(), requestId});
            exchange.end = Clock::now();
            exchange.status = result.fault == tvd::HttpResult::Fault::None ? result.status : 0;
            const auto answer = nlohmann::json::parse(result.body, nullptr, false);
            exchange.answered =
                exchange.status == 200 && answer.is_object() && answer.value("result", -1) == 0;
            calls.push_back(exchange);
            if (exchange.answered) {
                ++next_;
                return true;
            }
            std::this_thread::sleep_for(kRetryPause);
        }
        return false;
    }

    std::vector<Call> calls;

private:
    std::vector<std::unique_ptr<tvd::HttpTransport>> rsimd_;
    std::size_t next_ = 0;
};

// The call of the operation code with its in-parameters: the path and the body.
std::pair<std::string, std::string> callOf(const char* code, const CTvdBasicParamObject& in)
{
    return {std::string("/v1/call/") + Remote::kInterfaceName + "/" + code,
            R"({"in":)" + tvd::wire::ParamsWriter(in).all() + "}"};
}

long long firstCard(int writer, int batch)
{
    return (writer + 1) * 1000000LL + batch * kCardsPerBatch;
}

// Writers and readers, each a client of its own, until stop() (a writer finishes the batch it
// has begun) or the object goes.
class Workload {
public:
    explicit Workload(const std::vector<std::string>& addresses) : writers_(kWriters)
    {
        for (int c = 0; c < kWriters + kReaders; ++c)
            clients_.push_back(std::make_unique<Client>(addresses));
        for (int c = 0; c < kWriters + kReaders; ++c)
            threads_.emplace_back([this, c] { c < kWriters ? write(c) : read(*clients_[c]); });
    }
    ~Workload() { stop(); }

    void stop()
    {
        stop_ = true;
        for (auto& thread : threads_)
            if (thread.joinable())
                thread.join();
    }
    // Every client's calls, once stopped.
    std::vector<Call> calls() const
    {
        std::vector<Call> calls;
        for (const auto& client : clients_)
            calls.insert(calls.end(), client->calls.begin(), client->calls.end());
        return calls;
    }
    // What a writer did: it begins batches 0, 1, … in turn, each once the one before was
    // acknowledged.
    struct Writer {
        int acknowledged = 0, begun = 0;
    };
    const Writer& writer(int w) const { return writers_[w]; }

private:
    void write(int writer)
    {
        for (int batch = 0; !stop_; ++batch) {
            writers_[writer].begun = batch + 1;
            const auto [path, body] = callOf(
                "RMOSMQ25",
                Remote::CParamIn4add_simInfo(
                    {}, testsupport::cards(firstCard(writer, batch), kCardsPerBatch), nullptr));
            const std::string id =
                "failover-" + std::to_string(writer) + "-" + std::to_string(batch);
            if (!clients_[writer]->call(path, body, id, Clock::now() + 2 * kRoleChange))
                return;
            ++writers_[writer].acknowledged;
            std::this_thread::sleep_for(kBetweenCalls);
        }
    }

    void read(Client& client)
    {
        SRemoteSimQryIn criteria;
        criteria.set_START_IMSI(testsupport::card(0).IMSI);
        criteria.set_END_IMSI(testsupport::card(99999999).IMSI);
        criteria.set_MAX_NUM(50);
        const auto [path, body] =
            callOf("RMOSMQ28", Remote::CParamIn4qry_simInfo(criteria, nullptr));
        for (; !stop_; std::this_thread::sleep_for(kBetweenCalls))
            client.call(path, body, "", Clock::now() + 2s);
    }

    std::atomic<bool> stop_{false};
    std::vector<std::unique_ptr<Client>> clients_;
    std::vector<Writer> writers_;
    std::vector<std::thread> threads_;
};

// What losing a node cost the clients, measured over the calls begun from the loss until the
// next event, and printed.
struct Loss {
    explicit Loss(std::string what) : what(std::move(what)) {}

    std::string what;
    Clock::time_point at = Clock::now(), until{};
    std::optional<Clock::duration> writesBack; // to the first write begun after it and answered
    Clock::duration longest{};

    void measure(const std::vector<Call>& calls)
    {
        int failed = 0; // calls not answered, whose retry then was
        for (const auto& call : calls) {
            if (call.start < at || call.start >= until)
                continue;
            longest = std::max(longest, call.end - call.start);
            failed += !call.answered;
            if (call.write && call.answered && (!writesBack || call.end - at < *writesBack))
                writesBack = call.end - at;
        }
        std::cout << std::fixed << std::setprecision(1) << what << ": writes back after "
                  << (writesBack ? seconds(*writesBack) : -1.0) << " s, longest call "
                  << seconds(longest) << " s, " << failed
                  << " calls failed before their retry succeeded" << std::endl;
    }
};

class Failover : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!testsupport::RsimdProcess::postgresAvailable())
            GTEST_SKIP() << "RSIM_TEST_PG is not set: no PostgreSQL for this run";
        cluster_ = std::make_unique<Cluster>();
        if (cluster_->status() == 77)
            GTEST_SKIP() << "Patroni or etcd is not installed";
        ASSERT_EQ(cluster_->status(), 0) << "the cluster did not start";
        rsim::db::connect(cluster_->address("postgres"))->exec("CREATE DATABASE rsim");
        const std::string keyFile = folder_.path() + "/rsim.key";
        rsim::secrets::SecretBox::fromKeyFile(keyFile, true);
        // Started together, both with the demo data: they prepare the database one at a time.
        for (int i = 0; i < 2; ++i)
            rsimd_.push_back(std::make_unique<testsupport::RsimdProcess>(
                cluster_->address("rsim"), true,
                std::vector<std::string>{"--key-file", keyFile, "--db-timeout",
                                         std::to_string(kDatabaseDeadline.count())}));
        for (auto& rsimd : rsimd_) {
            ASSERT_TRUE(rsimd->listening()) << "exit status " << rsimd->stop();
            addresses_.push_back(rsimd->address());
        }
        ASSERT_EQ(testsupport::logIn(addresses_[0]), "");
    }

    testsupport::TemporaryFolder folder_;
    std::unique_ptr<Cluster> cluster_;
    std::vector<std::unique_ptr<testsupport::RsimdProcess>> rsimd_;
    std::vector<std::string> addresses_;
};

TEST_F(Failover, KilledAndFrozenPrimariesLoseNoAcknowledgedWriteAndFailNoCall)
{
    Workload load(addresses_);
    std::this_thread::sleep_for(3s);

    cluster_->signal(1, "KILL");
    Loss killed("SIGKILL of the primary");
    ASSERT_TRUE(cluster_->await(2, "/primary", kRoleChange)) << "node 2 took over\n"
                                                             << cluster_->logs();
    std::this_thread::sleep_for(3s);
    cluster_->startAgain(1);
    ASSERT_TRUE(cluster_->await(1, "/sync", kRoleChange)) << "node 1 follows as the sync standby\n"
                                                          << cluster_->logs();
    std::this_thread::sleep_for(2s);

    cluster_->signal(2, "STOP");
    Loss frozen("SIGSTOP of the primary");
    killed.until = frozen.at;
    std::this_thread::sleep_for(kFreeze);
    const bool promoted = cluster_->is(1, "/primary");
    cluster_->signal(2, "CONT");
    EXPECT_TRUE(promoted) << "node 1 took over from the frozen one\n" << cluster_->logs();
    EXPECT_TRUE(cluster_->await(2, "/replica", kRoleChange)) << "the woken node follows\n"
                                                             << cluster_->logs();
    std::this_thread::sleep_for(3s);
    load.stop();
    frozen.until = Clock::now();

    const auto calls = load.calls();
    for (auto* loss : {&killed, &frozen}) {
        loss->measure(calls);
        ASSERT_TRUE(loss->writesBack) << loss->what;
        EXPECT_LE(*loss->writesBack, kWritesBack) << loss->what;
    }
    EXPECT_LE(frozen.longest, kLongestCall) << "no call waits on the frozen node";
    EXPECT_EQ(std::count_if(calls.begin(), calls.end(), [](auto& c) { return c.status == 500; }), 0)
        << "of " << calls.size() << " calls";
    for (const auto& rsimd : rsimd_)
        EXPECT_EQ(::waitpid(rsimd->pid(), nullptr, WNOHANG), 0) << "rsimd runs";

    // On the final primary, which the woken node is not: every batch whole or not at all, every
    // acknowledged one, each card applied once.
    auto db = rsim::db::connect(cluster_->address("rsim"));
    std::set<std::string> stored;
    db->query("SELECT IMSI FROM rsim_sim WHERE IMSI LIKE '4600099%'", {},
              [&](const rsim::db::Row& row) { stored.insert(rsim::db::asText(row[0])); });
    std::size_t ofBatches = 0;
    for (int w = 0; w < kWriters; ++w) {
        const auto& writer = load.writer(w);
        EXPECT_EQ(writer.acknowledged, writer.begun)
            << "writer " << w << " had every batch answered";
        for (int batch = 0; batch < writer.begun; ++batch) {
            int found = 0;
            for (const auto& card : testsupport::cards(firstCard(w, batch), kCardsPerBatch))
                found += stored.contains(card.IMSI);
            ofBatches += static_cast<std::size_t>(found);
            if (batch < writer.acknowledged)
                EXPECT_EQ(found, kCardsPerBatch) << "writer " << w << " batch " << batch;
            else
                EXPECT_TRUE(found == 0 || found == kCardsPerBatch)
                    << "writer " << w << " batch " << batch << ": " << found << " cards";
        }
    }
    EXPECT_EQ(stored.size(), ofBatches) << "no card but the batches'";
    EXPECT_EQ(rsim::db::asInt(db->scalar("SELECT COUNT(*) FROM sys_audit WHERE CODE = 'RMOSMQ25' "
                                         "AND RECORD_KEY LIKE '%IMSI=4600099%'")),
              static_cast<std::int64_t>(stored.size()))
        << "each card applied once";
    EXPECT_TRUE(cluster_->is(1, "/primary")) << "the woken node did not take the primary back\n"
                                             << cluster_->logs();
}

} // namespace
