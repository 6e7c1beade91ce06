// Three rsimd replicas on one PostgreSQL database behind HAProxy with the packaged configuration
// (started by scripts/test-servers.sh), several clients calling through it with the middleware
// while one replica is killed and another one stopped: every call is answered, retried by the
// client where the balancer lost it, and every write is applied exactly once.
#include "secrets.h"
#include "service_fixture.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <set>
#include <sstream>
#include <thread>
#include <vector>

using namespace MResRemoteMgntDef;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kClients = 6;
constexpr int kCardsPerWrite = 200; // a write long enough to be cut by a replica's end
constexpr auto kBeforeKill = std::chrono::seconds(3);
constexpr auto kBeforeStop = std::chrono::seconds(3);
constexpr auto kAfterStop = std::chrono::seconds(4);

std::vector<std::string> split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::stringstream stream(text);
    for (std::string part; std::getline(stream, part, separator);)
        parts.push_back(part);
    return parts;
}

// HAProxy's answer to a command of its administration socket.
std::string askHaproxy(const std::string& socketPath, const std::string& command)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    socketPath.copy(address.sun_path, sizeof address.sun_path - 1);
    std::string answer;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::write(fd, (command + "\n").data(), command.size() + 1) > 0) {
        char buffer[4096];
        for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
            answer.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return answer;
}

// What HAProxy says of a replica: the servers rsimd1, rsimd2, … of the backend rsimd are the
// replicas in the order of RSIM_TEST_REPLICAS.
struct ServerState {
    bool up = false;
    int callsInProgress = 0;
};

std::vector<ServerState> serverStates(const std::string& socketPath)
{
    std::vector<ServerState> states(3);
    for (const auto& line : split(askHaproxy(socketPath, "show stat"), '\n')) {
        // pxname, svname, qcur, qmax, scur (5th), … status (18th).
        const auto fields = split(line, ',');
        for (std::size_t i = 0; i < states.size(); ++i)
            if (fields.size() > 17 && fields[0] == "rsimd" &&
                fields[1] == "rsimd" + std::to_string(i + 1))
                states[i] = {fields[17] == "UP", std::stoi(fields[4])};
    }
    return states;
}

int serversUp(const std::string& socketPath)
{
    const auto states = serverStates(socketPath);
    return static_cast<int>(
        std::count_if(states.begin(), states.end(), [](auto s) { return s.up; }));
}

// A replica other than the one left out that HAProxy sees with a call in progress (the most
// busy after a second of looking, should none have one).
std::size_t busyReplica(const std::string& socketPath, std::size_t leftOut)
{
    std::size_t busiest = leftOut == 0 ? 1 : 0;
    int most = -1;
    for (int tries = 0; tries < 200 && most < 1; ++tries) {
        const auto states = serverStates(socketPath);
        for (std::size_t i = 0; i < states.size(); ++i)
            if (i != leftOut && states[i].callsInProgress > most) {
                most = states[i].callsInProgress;
                busiest = i;
            }
        if (most < 1)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return busiest;
}

// One client's calls through HAProxy on a connection of its own: writes of new cards and IMSI
// range queries in turn, until stop. Notes each failure with the
// time of its call, the calls answered once late is set, and the cards of every write.
struct Client {
    std::vector<std::string> failures;
    int answeredLate = 0;
    std::set<std::string> written;

    void run(const std::string& address, long long first, const std::atomic<bool>& late,
             const std::atomic<bool>& stop)
    {
        MResRemoteMgntApp::IResRemoteMgnt remote;
        ASSERT_EQ(remote.bind(address), 0);
        const auto start = Clock::now();
        for (int k = 0; !stop; ++k) {
            const bool lateCall = late;
            CBSErrorMsg error;
            int result = 0;
            if (k % 2 == 0) {
                const SRemoteSimInfoList cards =
                    testsupport::cards(first + k * kCardsPerWrite, kCardsPerWrite);
                for (const auto& card : cards)
                    written.insert(card.IMSI);
                result = remote.add_simInfo({}, cards, error, nullptr);
            } else {
                SRemoteSimQryIn criteria;
                criteria.set_START_IMSI(testsupport::card(first).IMSI);
                criteria.set_END_IMSI(testsupport::card(first + 999999).IMSI);
                criteria.set_MAX_NUM(50);
                SRemoteSimInfoList found;
                result = remote.qry_simInfo(criteria, found, error, nullptr);
            }
            if (result != 0)
                failures.push_back(
                    std::to_string(std::chrono::duration<double>(Clock::now() - start).count()) +
                    " s: " + error.message + " (" + error.hint + ")");
            answeredLate += result == 0 && lateCall;
        }
    }
};

class Replicas : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!testsupport::RsimdProcess::postgresAvailable())
            GTEST_SKIP() << "RSIM_TEST_PG is not set: no PostgreSQL server for this run";
        const char* haproxy = std::getenv("RSIM_TEST_HAPROXY");
        if (haproxy == nullptr)
            GTEST_SKIP() << "RSIM_TEST_HAPROXY is not set: no HAProxy for this run "
                            "(scripts/test-servers.sh starts one when haproxy is installed)";
        haproxy_ = haproxy;
        socket_ = std::getenv("RSIM_TEST_HAPROXY_SOCKET");
        database_ = testsupport::RsimdProcess::newPostgresDatabase();
        keyFile_ = folder_.path() + "/rsim.key";
        rsim::secrets::SecretBox::fromKeyFile(keyFile_, true);
        // The first one migrates and seeds; the others find the database ready.
        const auto listens = split(std::getenv("RSIM_TEST_REPLICAS"), ',');
        ASSERT_EQ(listens.size(), 3U);
        for (std::size_t i = 0; i < listens.size(); ++i) {
            replicas_.push_back(std::make_unique<testsupport::RsimdProcess>(
                database_, i == 0,
                std::vector<std::string>{"--listen", listens[i], "--key-file", keyFile_,
                                         "--trusted-proxy", "127.0.0.1"}));
            ASSERT_TRUE(replicas_.back()->listening()) << "replica " << i;
        }
        for (int tries = 0; tries < 100 && serversUp(socket_) < 3; ++tries)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        ASSERT_EQ(serversUp(socket_), 3) << askHaproxy(socket_, "show stat");
        ASSERT_EQ(testsupport::logIn(haproxy_), "");
    }

    testsupport::TemporaryFolder folder_;
    std::string haproxy_, socket_, database_, keyFile_;
    std::vector<std::unique_ptr<testsupport::RsimdProcess>> replicas_;
};

// The balancer retries what no replica took; the client retries what a replica took and lost,
// writes with their request ids.
TEST_F(Replicas, LosingTwoOfThreeFailsNoCallAndAppliesEveryWriteOnce)
{
    std::vector<Client> clients(kClients);
    std::atomic<bool> late{false}, stop{false};
    std::vector<std::thread> threads;
    for (int c = 0; c < kClients; ++c)
        threads.emplace_back([&, c] { clients[c].run(haproxy_, (c + 1) * 1000000LL, late, stop); });
    // Each one while it has a call in progress.
    std::this_thread::sleep_for(kBeforeKill);
    const std::size_t killed = busyReplica(socket_, replicas_.size());
    ::kill(replicas_[killed]->pid(), SIGKILL);
    std::this_thread::sleep_for(kBeforeStop);
    EXPECT_EQ(replicas_[busyReplica(socket_, killed)]->stop(), 0) << "the stopped one's status";
    std::this_thread::sleep_for(kAfterStop / 2);
    late = true;
    std::this_thread::sleep_for(kAfterStop / 2);
    stop = true;
    for (auto& t : threads)
        t.join();

    std::set<std::string> written;
    int answeredLate = 0;
    for (const auto& client : clients) {
        EXPECT_EQ(client.failures, std::vector<std::string>{}) << "every call is answered";
        answeredLate += client.answeredLate;
        written.insert(client.written.begin(), client.written.end());
    }
    EXPECT_GT(answeredLate, 0) << "the last replica serves";
    std::set<std::string> stored;
    auto db = rsim::db::connect(database_);
    db->query("SELECT IMSI FROM rsim_sim WHERE IMSI LIKE '4600099%'", {},
              [&](const rsim::db::Row& row) { stored.insert(rsim::db::asText(row[0])); });
    EXPECT_TRUE(stored == written) << stored.size() << " cards stored of " << written.size()
                                   << " written: every card, and no other";
    EXPECT_EQ(rsim::db::asInt(db->scalar("SELECT COUNT(*) FROM sys_audit WHERE CODE = 'RMOSMQ25' "
                                         "AND RECORD_KEY LIKE '%IMSI=4600099%'")),
              static_cast<std::int64_t>(written.size()))
        << "each card applied once";
}

} // namespace
