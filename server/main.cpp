// rsimd: the remote-SIM management service.
#include "call_log.h"
#include "commands.h"
#include "health.h"
#include "metrics.h"
#include "options.h"
#include "schema.h"
#include "service.h"
#include "service_routes.h"
#include "startup.h"
#include "sysmgnt.h"

#include "address_list.h"
#include "http_server.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <iostream>
#include <optional>
#include <thread>

#include <sys/prctl.h>
#include <sys/stat.h>
#include <systemd/sd-daemon.h>

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void requestStop(int)
{
    stopRequested = 1;
}

// Stops the servers once a stop was asked for.
std::thread stopWatcher(std::vector<rsim::http::Server*> servers, const std::atomic<bool>& finished)
{
    return std::thread([servers, &finished] {
        while (!finished && !stopRequested)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        sd_notify(0, "STOPPING=1");
        for (auto* server : servers)
            server->stop();
    });
}

// The database's schema version on a pooled connection, when one is free before the deadline
// and its server takes writes (a standby, or a primary being demoted, does not).
int schemaVersion(rsim::DriverPool& pool, std::chrono::steady_clock::time_point deadline)
{
    auto lease = pool.tryAcquire(deadline);
    if (!lease)
        throw std::runtime_error("no database connection was free within the time");
    (*lease)->requireWritable();
    return static_cast<int>(
        rsim::db::asInt((*lease)->scalar("SELECT MAX(version) FROM schema_version")));
}

// GET /v1/health: 200 with the schema version, or 503 when the database does not answer within
// a second (and, as to every request, while the service stops).
rsim::http::Reply health(rsim::metrics::HealthProbe& probe, const rsim::Service& service)
{
    // A full storage still serves reads: the replica stays in its balancer, and says so.
    const char* status = service.storageFull() ? "storage full" : "ok";
    if (const auto version = probe.probe())
        return {200, std::string(R"({"status":")") + status + R"(","schemaVersion":)" +
                         std::to_string(*version) + "}"};
    return {503, rsim::http::faultBody(503, "数据库没有及时应答", "详情见服务日志")};
}

// GET /metrics on the metrics address: the Prometheus text, to loopback and the allowed peers
// only; anyone else is refused before anything is read.
rsim::http::Reply metricsText(const rsim::http::RequestHead& head,
                              const rsim::http::AddressList& allowed, rsim::DriverPool& pool,
                              const rsim::http::Server& server, const rsim::Service& service)
{
    if (!allowed.contains(head.peer))
        return {403, "只有本机和 --metrics-allow 列出的地址可以读取指标\n",
                "text/plain; charset=utf-8"};
    const auto usage = pool.usage();
    rsim::metrics::Gauges gauges{
        usage.inUse,  usage.waiting,        server.requestsInFlight(), server.bodyBytesHeld(),
        std::nullopt, service.storageFull()};
    if (auto lease =
            pool.tryAcquire(std::chrono::steady_clock::now() + std::chrono::milliseconds(200)))
        gauges.liveSessions = rsim::Sessions::live(**lease, std::time(nullptr));
    return {200, rsim::metrics::text(gauges), "text/plain; version=0.0.4; charset=utf-8"};
}

// The server of /metrics on an address of its own, for the main server's metrics; started
// serving on a thread of its own.
class MetricsServer {
public:
    MetricsServer(const rsimd::Options& options, rsim::DriverPool& pool,
                  const rsim::http::Server& main, const rsim::Service& service)
        : allowed_(allowedPeers(options.metricsAllowed)),
          server_(limits(), 1, routes(pool, main, service))
    {
        const auto [host, port] = rsimd::hostAndPort(options.metricsListen, "--metrics-listen");
        const int bound = server_.listen(host, port);
        std::cout << "rsimd metrics on http://" << host << ":" << bound << std::endl;
        thread_ = std::thread([this] { server_.run(); });
    }
    ~MetricsServer()
    {
        server_.stop();
        thread_.join();
    }
    rsim::http::Server& server() { return server_; }

private:
    static std::vector<std::string> allowedPeers(const std::vector<std::string>& more)
    {
        std::vector<std::string> peers{"127.0.0.1", "::1"}; // this host always
        peers.insert(peers.end(), more.begin(), more.end());
        return peers;
    }
    static rsim::http::Limits limits()
    {
        rsim::http::Limits limits;
        limits.maxBody = 0;
        limits.maxConnections = 64;
        limits.monitoringWorkers = 1;
        return limits;
    }
    rsim::http::Routes routes(rsim::DriverPool& pool, const rsim::http::Server& main,
                              const rsim::Service& service)
    {
        rsim::http::Routes routes("地址为 /metrics");
        rsim::http::Route metrics{"GET", 0,
                                  [this, &pool, &main, &service](const rsim::http::Request& r) {
                                      return metricsText(r.head, allowed_, pool, main, service);
                                  }};
        metrics.monitoring = true;
        routes.add("/metrics", std::move(metrics));
        return routes;
    }

    const rsim::http::AddressList allowed_;
    rsim::http::Server server_;
    std::thread thread_;
};

} // namespace

int main(int argc, char** argv)
{
    // Files rsimd makes (the database, its WAL, the key file, backups) are its user's only.
    ::umask(077);
    // Its memory holds keys, KIs and login bodies: no core dump of it, and no other process of
    // its user may trace it or read its memory.
    ::prctl(PR_SET_DUMPABLE, 0);
    const std::string command = argc > 1 ? argv[1] : "";
    const std::vector<std::string> commandArguments(argv + std::min(argc, 2), argv + argc);
    if (command == "rekey")
        return rsim::secrets::rekeyCommand(commandArguments, rsimd::sealedColumns(), std::cout,
                                           std::cerr);
    if (command == "backup")
        return rsim::secrets::backupCommand(commandArguments, rsimd::sealedColumns(), std::cout,
                                            std::cerr);
    std::signal(SIGTERM, requestStop);
    std::signal(SIGINT, requestStop);
    std::signal(SIGPIPE, SIG_IGN);
    const rsimd::Options options = rsimd::parse(argc, argv);
    const auto [host, port] = rsimd::hostAndPort(options.listen);
    rsimd::checkPlainHttp(options, host);
    try {
        auto setup = rsimd::connectForStartup(options.database);
        if (!options.initAdmin.empty()) {
            rsim::db::migrate(*setup, rsim::db::schemaMigrations());
            return rsim::sysmgnt::initAdministrator(*setup, options.initAdmin);
        }
        auto secrets =
            rsimd::prepareDatabase(*setup, options.database, options.keyFile, options.seed);
        setup.reset(); // and the schema lock with it

        // Shared with a health check that may outlive the server in a database that hangs.
        const auto pool = std::make_shared<rsim::DriverPool>(
            options.database, static_cast<std::size_t>(options.threads), options.databaseTimeout);
        rsim::Service service(*pool, secrets, options.maxRows, options.sessions,
                              options.accessAuditRetention);
        rsim::metrics::HealthProbe probe(
            [pool](auto deadline) { return schemaVersion(*pool, deadline); },
            std::chrono::seconds(1));
        auto routes = rsimd::serviceRoutes(service, options.limits.maxBody);
        rsim::http::Route healthRoute{
            "GET", 0, [&probe, &service](const auto&) { return health(probe, service); }};
        healthRoute.monitoring = true;
        routes.add("/v1/health", std::move(healthRoute));
        rsim::http::Server server(options.limits, static_cast<std::size_t>(options.threads),
                                  std::move(routes), {options.tlsCertificate, options.tlsKey});
        std::optional<MetricsServer> metricsServer;
        if (options.metrics && !options.metricsListen.empty())
            metricsServer.emplace(options, *pool, server, service);
        else
            rsim::metrics::disable();
        const int bound = server.listen(host, port);
        // Under systemd (Type=notify, WatchdogSec): the I/O loop says it is alive twice a period.
        std::uint64_t watchdogMicroseconds = 0;
        if (sd_watchdog_enabled(0, &watchdogMicroseconds) > 0)
            server.every(std::chrono::duration_cast<std::chrono::milliseconds>(
                             std::chrono::microseconds(watchdogMicroseconds) / 2),
                         [] { sd_notify(0, "WATCHDOG=1"); });
        std::atomic<bool> finished{false};
        std::vector<rsim::http::Server*> servers{&server};
        if (metricsServer)
            servers.push_back(&metricsServer->server());
        std::thread watcher = stopWatcher(servers, finished);
        std::cout << "rsimd listening on " << (options.tlsCertificate.empty() ? "http" : "https")
                  << "://" << host << ":" << bound << " (" << rsim::db::redacted(options.database)
                  << ")" << std::endl;
        sd_notify(0, "READY=1"); // migrated, sealed and listening
        const bool finishedCalls = server.run();
        finished = true;
        watcher.join();
        if (!finishedCalls) {
            // Their transactions were not committed: the database rolls them back.
            std::cerr << "rsimd: calls still running at the stop timeout were cut" << std::endl;
            std::quick_exit(1);
        }
        std::cout << "rsimd stopped" << std::endl;
        return 0;
    } catch (const rsim::db::Error& e) {
        std::cerr << "rsimd: " << e.what() << "\n";
        return rsimd::databaseUnavailable(e, options.database) ? rsimd::kDatabaseUnavailable : 2;
    } catch (const std::exception& e) {
        std::cerr << "rsimd: " << e.what() << "\n";
        return 2;
    }
}
