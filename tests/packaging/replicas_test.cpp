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
        if (fields.size() > 17 && fields[0] == "rsimd" && fields[1].rfind("rsimd", 0) == 0 &&
            fields[1].size() == 6 && fields[1][5] >= '1' && fields[1][5] <= '3')
            states[static_cast<std::size_t>(fields[1][5] - '1')] = {fields[17] == "UP",
                                                                    std::stoi(fields[4])};
    }
    return states;
}

int serversUp(const std::string& socketPath)
{
    const auto states = serverStates(socketPath);
    return static_cast<int>(
        std::count_if(states.begin(), states.end(), [](const auto& s) { return s.up; }));
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

// n in width digits, zeros in front.
std::string padded(long long n, std::size_t width)
{
    const std::string digits = std::to_string(n);
    return std::string(width - digits.size(), '0') + digits;
}

// Card n of the test: IMSI 46007…, SIM number 898607….
SRemoteSimInfo card(long long n)
{
    SRemoteSimInfo sim;
    sim.set_IMSI("46007" + padded(n, 10));
    sim.set_SIM_ID("898607" + padded(n, 14));
    sim.set_PIN1("1234");
    sim.set_PUK1("12345678");
    sim.set_KI_CODE("0123456789ABCDEF0123456789ABCDEF");
    sim.set_RES_CODE("C64");
    sim.set_VENDOR_CODE("V01");
    sim.set_REGION_CODE(10);
    sim.set_COUNTY_CODE(1001);
    sim.set_ORG_ID(100101);
    sim.set_STS(1);
    return sim;
}

struct Call {
    double startSeconds; // since the load began
    std::string failure; // empty when answered
};

// One client: its own connection through HAProxy, a write of new cards every third call, IMSI
// range and province queries between; each call recorded.
class Client {
public:
    Client(const std::string& address, int number) : number_(number)
    {
        bound_ = remote_.bind(address) == 0;
        info_.set_REGION_CODE(10);
        info_.set_COUNTY_CODE(1001);
        info_.set_ORG_ID(100101);
        info_.set_OP_ID(1);
    }

    void run(const std::atomic<bool>& stop, Clock::time_point start)
    {
        for (int k = 0; bound_ && !stop; ++k) {
            const auto sent = Clock::now();
            std::string failure = k % 3 == 0 ? add(k) : k % 3 == 1 ? queryCards() : queryProvince();
            calls_.push_back(
                {std::chrono::duration<double>(sent - start).count(), std::move(failure)});
        }
    }

    bool bound() const { return bound_; }
    const std::vector<Call>& calls() const { return calls_; }
    // The cards of every write sent, and of those answered as stored.
    const std::set<std::string>& written() const { return written_; }
    const std::set<std::string>& acknowledged() const { return acknowledged_; }

private:
    // Each call answers what went wrong, nothing when it was answered.
    std::string add(int k)
    {
        SRemoteSimInfoList cards;
        for (int i = 0; i < kCardsPerWrite; ++i) {
            cards.push_back(card(number_ * 1000000LL + k * kCardsPerWrite + i));
            written_.insert(cards.back().IMSI);
        }
        CBSErrorMsg error;
        std::string failure =
            failureOf(remote_.add_simInfo(info_, cards, error, nullptr), error, "write");
        if (failure.empty())
            for (const auto& c : cards)
                acknowledged_.insert(c.IMSI);
        return failure;
    }
    std::string queryCards()
    {
        SRemoteSimQryIn criteria;
        criteria.set_START_IMSI(card(number_ * 1000000LL).IMSI);
        criteria.set_END_IMSI(card(number_ * 1000000LL + 999999).IMSI);
        criteria.set_MAX_NUM(50);
        SRemoteSimInfoList found;
        CBSErrorMsg error;
        return failureOf(remote_.qry_simInfo(criteria, found, error, nullptr), error, "query");
    }
    std::string queryProvince()
    {
        SResRemoteProvCode criteria;
        criteria.set_PROVINCE_CODE("44");
        SResRemoteProvCodeList found;
        CBSErrorMsg error;
        return failureOf(remote_.qry_provinceCode(criteria, found, error, nullptr), error, "query");
    }
    static std::string failureOf(int result, const CBSErrorMsg& error, const char* what)
    {
        return result == 0 ? ""
                           : std::string(what) + ": " + error.message + " (" + error.hint + ")";
    }

    int number_;
    bool bound_ = false;
    MResRemoteMgntApp::IResRemoteMgnt remote_;
    MResRemoteMgntApp::SOpInfo info_;
    std::vector<Call> calls_;
    std::set<std::string> written_;
    std::set<std::string> acknowledged_;
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
    std::vector<std::unique_ptr<Client>> clients;
    for (int c = 0; c < kClients; ++c) {
        clients.push_back(std::make_unique<Client>(haproxy_, c + 1));
        ASSERT_TRUE(clients.back()->bound());
    }
    std::atomic<bool> stop{false};
    const auto start = Clock::now();
    std::vector<std::thread> threads;
    for (auto& client : clients)
        threads.emplace_back([&, c = client.get()] { c->run(stop, start); });
    // Each one while it has a call in progress.
    std::this_thread::sleep_for(kBeforeKill);
    const std::size_t killed = busyReplica(socket_, replicas_.size());
    ::kill(replicas_[killed]->pid(), SIGKILL);
    std::this_thread::sleep_for(kBeforeStop);
    const std::size_t stopped = busyReplica(socket_, killed);
    const double stoppedAt = std::chrono::duration<double>(Clock::now() - start).count();
    EXPECT_EQ(replicas_[stopped]->stop(), 0) << "the stopped replica's exit status";
    std::this_thread::sleep_for(kAfterStop);
    stop = true;
    for (auto& t : threads)
        t.join();

    std::set<std::string> written, acknowledged;
    std::size_t writes = 0, failures = 0, servedByTheLast = 0;
    for (const auto& client : clients) {
        for (const auto& call : client->calls()) {
            if (!call.failure.empty() && ++failures <= 5)
                ADD_FAILURE() << "a call sent at " << call.startSeconds << " s: " << call.failure;
            servedByTheLast += call.startSeconds > stoppedAt + 2 && call.failure.empty();
        }
        written.insert(client->written().begin(), client->written().end());
        acknowledged.insert(client->acknowledged().begin(), client->acknowledged().end());
        writes += client->written().size();
    }
    EXPECT_EQ(failures, 0U);
    EXPECT_GT(servedByTheLast, 0U) << "the last replica serves";

    std::set<std::string> stored;
    auto db = rsim::db::connect(database_);
    db->query("SELECT IMSI FROM rsim_sim WHERE IMSI LIKE '46007%'", {},
              [&](const rsim::db::Row& row) { stored.insert(rsim::db::asText(row[0])); });
    EXPECT_EQ(writes, written.size()) << "each write names cards of its own";
    EXPECT_EQ(acknowledged.size(), written.size()) << "every write answered as stored";
    EXPECT_TRUE(stored == written) << stored.size() << " cards stored of " << written.size()
                                   << " written: every card, and no other";
    EXPECT_EQ(rsim::db::asInt(db->scalar("SELECT COUNT(*) FROM sys_audit WHERE CODE = 'RMOSMQ25' "
                                         "AND RECORD_KEY LIKE '%IMSI=46007%'")),
              static_cast<std::int64_t>(written.size()))
        << "each card applied once";
}

} // namespace
