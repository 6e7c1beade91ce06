// rsimd: the remote-SIM management service.
#include "call_log.h"
#include "commands.h"
#include "health.h"
#include "key_hold.h"
#include "metrics.h"
#include "options.h"
#include "schema.h"
#include "service.h"
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

// Stops the server once a stop was asked for.
std::thread stopWatcher(rsim::http::Server& server, const std::atomic<bool>& finished)
{
    return std::thread([&server, &finished] {
        while (!finished && !stopRequested)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        sd_notify(0, "STOPPING=1");
        server.stop();
    });
}

rsim::http::Reply reply(rsim::Answer a)
{
    return {a.status, std::move(a.body), "application/json", a.retryAfter};
}

// "<interface>/<code>" after the prefix, or nothing.
std::optional<std::pair<std::string, std::string>> operationPath(const std::string& target,
                                                                 const std::string& prefix)
{
    if (target.rfind(prefix, 0) != 0)
        return std::nullopt;
    const std::string path = target.substr(prefix.size());
    const std::size_t slash = path.find('/');
    if (slash == std::string::npos || path.find('/', slash + 1) != std::string::npos)
        return std::nullopt;
    return std::make_pair(path.substr(0, slash), path.substr(slash + 1));
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

// GET /metrics: the Prometheus text, to loopback and the allowed peers only; anyone else is
// refused before anything is read.
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

// The routes, each with its method and what it needs before its body is read.
class Routes {
public:
    Routes(rsim::Service& service, std::size_t maxBody) : service_(service), maxBody_(maxBody) {}

    rsim::http::Admission admit(const rsim::http::RequestHead& head) const
    {
        const auto known = route(head.target);
        if (!known)
            return {rsim::http::Reply{404, rsim::http::faultBody(404, "没有这个地址", kAddresses)},
                    0};
        if (head.method != known->method)
            return {rsim::http::Reply{
                        405, rsim::http::faultBody(405, "请求方法不对", "请用 " + known->method)},
                    0};
        if (!known->operation)
            return {std::nullopt, kSmallBody};
        const auto started = Clock::now();
        const std::string& code = known->operation->second;
        auto admitted = service_.admit(known->operation->first, code, head.session);
        if (admitted.refusal)
            return {answered(admitted.refusal->status == 404 ? "unknown" : code, head,
                             std::move(*admitted.refusal), started),
                    0};
        return {std::nullopt, maxBody_, admitted.owner};
    }

    rsim::http::Reply handle(const rsim::http::Request& request) const
    {
        const rsim::http::RequestHead& head = request.head;
        const auto known = route(head.target);
        if (head.target == "/v1/ping")
            return {200, R"({"result":0})"};
        const auto started = Clock::now();
        if (head.target == "/v1/login") {
            auto answer = service_.login(request.body.text(), head.source);
            if (answer.result > 0 && answer.status == 200) // not one that was told to wait
                rsim::metrics::loginFailed();
            return answered("login", head, std::move(answer), started);
        }
        if (head.target == "/v1/logout")
            return answered("logout", head, service_.logout(head.session, head.source), started);
        const auto& [interfaceName, code] = *known->operation;
        const rsim::BodySource body = [&request] { return request.body.open(); };
        return answered(
            code, head,
            service_.call(
                interfaceName, code, body,
                {std::any_cast<rsim::SessionOwner>(request.found), head.requestId, head.source},
                known->check ? rsim::Service::Mode::CheckOnly : rsim::Service::Mode::Store),
            started);
    }

private:
    using Clock = std::chrono::steady_clock;

    // Counts and logs a call's answer (operation: a known code, or a word of ours), and hands
    // it to the server.
    static rsim::http::Reply answered(std::string_view operation,
                                      const rsim::http::RequestHead& head, rsim::Answer answer,
                                      Clock::time_point started)
    {
        rsim::metrics::callEnded({head.requestId, answer.opId, operation, answer.status,
                                  answer.result, Clock::now() - started, answer.rows});
        return reply(std::move(answer));
    }

    static constexpr std::size_t kSmallBody = 64 * 1024; // a login, or a body nobody reads
    static constexpr const char* kAddresses =
        "地址为 /v1/login、/v1/logout、/v1/ping、/v1/health、/v1/call/接口/操作 或 "
        "/v1/check/接口/操作";

    struct Route {
        std::string method;
        std::optional<std::pair<std::string, std::string>> operation;
        bool check = false;
    };

    static std::optional<Route> route(const std::string& target)
    {
        if (target == "/v1/ping")
            return Route{"GET", std::nullopt};
        if (target == "/v1/login" || target == "/v1/logout")
            return Route{"POST", std::nullopt};
        if (auto call = operationPath(target, "/v1/call/"))
            return Route{"POST", std::move(call)};
        if (auto check = operationPath(target, "/v1/check/"))
            return Route{"POST", std::move(check), true};
        return std::nullopt;
    }

    rsim::Service& service_;
    const std::size_t maxBody_;
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
        std::optional<rsim::secrets::KeyHold> serving;
        auto secrets = rsimd::prepareDatabase(*setup, options.database, options.keyFile,
                                              options.seed, serving);
        setup.reset(); // and the schema lock with it

        // Shared with a health check that may outlive the server in a database that hangs.
        const auto pool = std::make_shared<rsim::DriverPool>(
            options.database, static_cast<std::size_t>(options.threads), options.databaseTimeout);
        rsim::Service service(*pool, secrets, options.maxRows, options.sessions,
                              options.accessAuditRetention);
        rsim::metrics::HealthProbe probe(
            [pool](auto deadline) { return schemaVersion(*pool, deadline); },
            std::chrono::seconds(1));
        const Routes routes(service, options.limits.maxBody);
        rsim::http::Server server(
            options.limits, static_cast<std::size_t>(options.threads),
            [&routes](const rsim::http::RequestHead& head) { return routes.admit(head); },
            [&routes](const rsim::http::Request& request) { return routes.handle(request); },
            {options.tlsCertificate, options.tlsKey});
        server.monitor("/v1/health",
                       [&probe, &service](const auto&) { return health(probe, service); });
        std::vector<std::string> metricsAllowed{"127.0.0.1", "::1"}; // this host always
        metricsAllowed.insert(metricsAllowed.end(), options.metricsAllowed.begin(),
                              options.metricsAllowed.end());
        const rsim::http::AddressList metricsPeers(metricsAllowed);
        if (options.metrics)
            server.monitor("/metrics", [&](const auto& head) {
                return metricsText(head, metricsPeers, *pool, server, service);
            });
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
        std::thread watcher = stopWatcher(server, finished);
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
