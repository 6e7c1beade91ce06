// rsimd as its operators watch it, on SQLite and PostgreSQL: the health answer a load balancer
// checks (when the database goes away or hangs, and while the service stops), the metrics a
// Prometheus server scrapes (read with Prometheus's own parser), the log line of each call, and
// what systemd is told (readiness, the watchdog's pings, the stop).
#include "backend_fixture.h"
#include "raw_http.h"
#include "schema.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {

using namespace rawhttp;
using Backend = testsupport::RsimdProcess::Backend;

class Monitoring : public testsupport::BackendTest {
protected:
    void SetUp() override
    {
        BackendTest::SetUp();
        if (IsSkipped())
            return;
        // rsimd's stderr, where its call log goes, is the file it inherits as its stderr.
        const int saved = ::dup(STDERR_FILENO);
        const int log = ::open(log_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(log, STDERR_FILENO);
        server_ = std::make_unique<testsupport::RsimdProcess>(
            GetParam(), 4, std::vector<std::string>{"--metrics-allow", "10.0.0.0/8,192.168.1.1"});
        ::dup2(saved, STDERR_FILENO);
        ::close(log);
        ::close(saved);
    }
    void TearDown() override { std::filesystem::remove(log_); }

    HttpAnswer exchange(const std::string& request, const char* from = "127.0.0.1")
    {
        return rawhttp::exchange(server_->port(), request, from);
    }

    // Prometheus's parser's reading of the text: "name{label=value,…}" (labels in order) to the
    // sample's value.
    static std::map<std::string, double> parsed(const std::string& text)
    {
        const std::string file = ::testing::TempDir() + "/metrics.txt";
        std::ofstream(file) << text;
        const std::string script = R"(
import json, sys
from prometheus_client.parser import text_string_to_metric_families
samples = {}
for family in text_string_to_metric_families(open(sys.argv[1]).read()):
    for s in family.samples:
        labels = ",".join("%s=%s" % item for item in sorted(s.labels.items()))
        samples["%s{%s}" % (s.name, labels)] = s.value
print(json.dumps(samples)))";
        FILE* python = ::popen(("/usr/bin/python3 -c '" + script + "' " + file).c_str(), "r");
        std::string output;
        for (int c; (c = std::fgetc(python)) != EOF;)
            output += static_cast<char>(c);
        EXPECT_EQ(::pclose(python), 0) << "not Prometheus text:\n" << text;
        return nlohmann::json::parse(output, nullptr, false).get<std::map<std::string, double>>();
    }

    const std::string log_ =
        ::testing::TempDir() + "/rsimd-monitoring." + std::to_string(::getpid()) + ".log";
    std::unique_ptr<testsupport::RsimdProcess> server_;
};

TEST_P(Monitoring, HealthAnswersTheSchemaVersionUntilTheDatabaseIsGoneOrTheServiceStops)
{
    const HttpAnswer healthy = exchange(get("/v1/health"));
    ASSERT_EQ(healthy.status, 200) << healthy.body;
    EXPECT_EQ(healthy.document().value("schemaVersion", 0),
              rsim::db::schemaMigrations().back().version);

    if (GetParam() == Backend::Sqlite) {
        const std::string file = server_->database().substr(7);
        std::filesystem::resize_file(file, 0);
        std::filesystem::resize_file(file + "-wal", 0);
    } else {
        const std::string& address = server_->database();
        rsim::db::connect(std::getenv("RSIM_TEST_PG"))
            ->exec("DROP DATABASE " + address.substr(address.rfind('/') + 1) + " WITH (FORCE)");
    }
    const HttpAnswer gone = exchange(get("/v1/health"));
    EXPECT_EQ(gone.status, 503) << gone.body;
    EXPECT_EQ(gone.message(), "数据库没有及时应答");
    EXPECT_EQ(exchange(post("/v1/health", "{}")).status, 405);

    // A balancer's check under way when the service stops, on a connection the service has
    // taken (it answered one check already).
    Socket checking(server_->port());
    checking.send("GET /v1/health HTTP/1.1\r\nHost: x\r\n\r\n");
    ASSERT_EQ(checking.read().status, 503);
    checking.send("GET /v1/health HTTP/1.1\r\n");
    ::kill(server_->pid(), SIGTERM);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    checking.send("Host: x\r\n\r\n");
    const HttpAnswer stopping = checking.read();
    EXPECT_EQ(stopping.status, 503) << "a balancer drains a stopping replica";
    EXPECT_EQ(stopping.message(), "服务正在停止，请稍后重试");
}

// An SQLite reader in WAL mode waits for no writer: a lock held in PostgreSQL makes it hang.
using MonitoringOnPostgres = Monitoring;
INSTANTIATE_TEST_SUITE_P(Postgres, MonitoringOnPostgres, ::testing::Values(Backend::Postgres),
                         testsupport::backendName);

TEST_P(MonitoringOnPostgres, HealthIsA503WithinItsSecondWhileTheDatabaseHangs)
{
    const auto locker = rsim::db::connect(server_->database());
    locker->begin();
    locker->exec("LOCK TABLE schema_version IN ACCESS EXCLUSIVE MODE");
    const auto asked = std::chrono::steady_clock::now();
    EXPECT_EQ(exchange(get("/v1/health")).status, 503);
    EXPECT_EQ(exchange(get("/v1/health")).status, 503) << "while the first check still hangs";
    EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(5))
        << "a hanging database holds the check's thread, not the answer";
    locker->rollback();
    int status = 0;
    for (int tries = 0; tries < 50 && status != 200; ++tries) {
        status = exchange(get("/v1/health")).status;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    EXPECT_EQ(status, 200) << "healthy again once the database answers";
}

TEST_P(Monitoring, MetricsCountEachCallAndGoOnlyToAllowedPeersAndEachCallLogsOneLine)
{
    const std::string cards = "/v1/call/MResRemoteMgntApp_IResRemoteMgnt/RMOSMQ28";
    const std::string query = R"({"in":{"sIn":{"MAX_NUM":1000}}})";
    exchange(post("/v1/login", R"({"login":"admin","password":"wrong"})"));
    const std::string session =
        exchange(post("/v1/login", R"({"login":"admin","password":"admin123"})"))
            .document()
            .value("session", "");
    const std::string chosenId = "\"x\"\\\t" + std::string(500, 'i');
    const HttpAnswer answered = exchange(post(
        cards, query, "X-Tav-Session: " + session + "\r\nX-Tav-Request-Id: " + chosenId + "\r\n"));
    ASSERT_EQ(answered.status, 200);
    const auto rows = answered.document()["out"]["listRemoteSimInfo"].size();
    exchange(post(cards, query)); // refused before its body: no session

    // Metrics have an address of their own: the service's, which a proxy on this host may
    // forward to, serves none even to this host.
    EXPECT_EQ(exchange(get("/metrics")).status, 404);
    const HttpAnswer scraped = rawhttp::exchange(server_->metricsPort(), get("/metrics"));
    ASSERT_EQ(scraped.status, 200);
    const auto samples = parsed(scraped.body);
    const auto sample = [&samples](const std::string& key) {
        return samples.count(key) ? samples.at(key) : -1;
    };
    EXPECT_EQ(sample("rsimd_calls_total{operation=RMOSMQ28,result=ok}"), 1);
    EXPECT_EQ(sample("rsimd_calls_total{operation=RMOSMQ28,result=refused}"), 1);
    EXPECT_EQ(sample("rsimd_calls_total{operation=login,result=refused}"), 1);
    EXPECT_EQ(sample("rsimd_login_failures_total{}"), 1);
    EXPECT_EQ(sample("rsimd_call_duration_seconds_count{operation=RMOSMQ28}"), 2);
    EXPECT_EQ(sample("rsimd_call_duration_seconds_bucket{le=+Inf,operation=RMOSMQ28}"), 2);
    EXPECT_GE(sample("rsimd_sealed_value_reads_total{}"), static_cast<double>(rows))
        << "every KI the administrator was answered";
    EXPECT_EQ(sample("rsimd_sessions_live{}"), 1);
    EXPECT_EQ(sample("rsimd_requests_in_flight{}"), 0) << "the scrape is not the service's";
    EXPECT_EQ(sample("rsimd_database_connections{state=in_use}"), 0);
    for (const auto& [key, value] : samples)
        EXPECT_EQ(key.find("admin"), std::string::npos) << "no login name as a label: " << key;

    const HttpAnswer refused =
        rawhttp::exchange(server_->metricsPort(), get("/metrics"), "127.0.0.2");
    EXPECT_EQ(refused.status, 403);
    EXPECT_NE(refused.body.find("--metrics-allow"), std::string::npos) << refused.body;

    std::vector<nlohmann::json> calls;
    std::ifstream log(log_);
    for (std::string line; std::getline(log, line);) {
        EXPECT_EQ(line.find("admin123"), std::string::npos) << line;
        const auto object = nlohmann::json::parse(line, nullptr, false);
        if (object.is_object() && object.value("operation", "") == "RMOSMQ28")
            calls.push_back(object);
    }
    ASSERT_EQ(calls.size(), 2U);
    EXPECT_EQ(calls[0]["requestId"], chosenId.substr(0, 64)) << "cut, and escaped to one line";
    EXPECT_EQ(calls[0]["operator"], 1);
    EXPECT_EQ(calls[0]["result"], "ok");
    EXPECT_EQ(calls[0]["rows"], rows);
    EXPECT_GT(calls[0]["durationMs"].get<double>(), 0);
    EXPECT_EQ(calls[1]["result"], "refused");
    EXPECT_EQ(calls[1]["operator"], 0);
}

RSIM_ON_EVERY_BACKEND(Monitoring);

// The datagram socket a service under systemd (Type=notify) sends its state to, as NOTIFY_SOCKET
// names it.
class NotifySocket {
public:
    NotifySocket() : descriptor_(::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0))
    {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path_.c_str(), sizeof address.sun_path - 1);
        ::unlink(path_.c_str());
        if (::bind(descriptor_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
            throw std::runtime_error("cannot bind " + path_);
    }
    ~NotifySocket()
    {
        ::close(descriptor_);
        ::unlink(path_.c_str());
    }
    NotifySocket(const NotifySocket&) = delete;
    NotifySocket& operator=(const NotifySocket&) = delete;

    const std::string& path() const { return path_; }
    // The next message, or "" when none comes within the patience.
    std::string next(std::chrono::milliseconds patience)
    {
        pollfd ready{descriptor_, POLLIN, 0};
        if (::poll(&ready, 1, static_cast<int>(patience.count())) != 1)
            return "";
        char message[4096];
        const auto length = ::recv(descriptor_, message, sizeof message, 0);
        return length > 0 ? std::string(message, static_cast<std::size_t>(length)) : "";
    }

private:
    const std::string path_ = "/tmp/rsimd-notify." + std::to_string(::getpid());
    const int descriptor_;
};

TEST(Systemd, ReadyOnceMigratedAndListeningThenTheLoopFeedsTheWatchdogUntilTheStop)
{
    NotifySocket manager;
    const testsupport::ScratchDatabase database(Backend::Sqlite);
    ::setenv("NOTIFY_SOCKET", manager.path().c_str(), 1);
    ::setenv("WATCHDOG_USEC", "200000", 1);
    testsupport::RsimdProcess server(database.address(), false);
    ::unsetenv("NOTIFY_SOCKET");
    ::unsetenv("WATCHDOG_USEC");

    ASSERT_EQ(manager.next(std::chrono::seconds(30)), "READY=1");
    EXPECT_EQ(rsim::db::asInt(rsim::db::connect(database.address())
                                  ->scalar("SELECT MAX(version) FROM schema_version")),
              rsim::db::schemaMigrations().back().version)
        << "ready only once the database is migrated";
    ASSERT_TRUE(server.listening());
    EXPECT_EQ(exchange(server.port(), get("/v1/health")).status, 200);

    // Half the watchdog's period apart: five pings take at least 400 ms.
    const auto firstWait = std::chrono::steady_clock::now();
    int pings = 0;
    while (pings < 5 && manager.next(std::chrono::seconds(2)) == "WATCHDOG=1")
        ++pings;
    EXPECT_EQ(pings, 5);
    EXPECT_GE(std::chrono::steady_clock::now() - firstWait, std::chrono::milliseconds(400));

    EXPECT_EQ(server.stop(), 0);
    std::string message;
    do
        message = manager.next(std::chrono::seconds(1));
    while (message == "WATCHDOG=1");
    EXPECT_EQ(message, "STOPPING=1");
}

} // namespace
