// rsimd: the remote-SIM management service.
#include "call_log.h"
#include "commands.h"
#include "health.h"
#include "metrics.h"
#include "peer_list.h"
#include "schema.h"
#include "service.h"
#include "sysmgnt.h"
#include "table.h"

#include "http_server.h"

#include <boost/asio/ip/address.hpp>

#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <iostream>
#include <optional>
#include <sstream>
#include <thread>

#include <sys/stat.h>

namespace {

struct Options {
    std::string database = "sqlite:var/rsim.db";
    std::string listen = "127.0.0.1:7411";
    std::string keyFile;
    std::string tlsCertificate;
    std::string tlsKey;
    std::string initAdmin;
    bool seed = false;
    bool metrics = true;
    bool insecureHttp = false;
    std::vector<std::string> metricsAllowed;
    int threads = 8;
    std::int64_t maxRows = rsim::Service::kDefaultMaxRows;
    rsim::SessionPolicy sessions;
    rsim::http::Limits limits;
};

constexpr const char* kUsage =
    "usage: rsimd [--db sqlite:PATH|postgresql://…] [--listen HOST:PORT] [--seed demo]\n"
    "             [--threads N] [--key-file PATH] [--tls-cert PATH --tls-key PATH]\n"
    "             [--insecure-http]\n"
    "             [--max-body MIB] [--request-timeout SECONDS] [--idle-timeout SECONDS]\n"
    "             [--min-rate BYTES] [--rate-grace SECONDS] [--max-connections N]\n"
    "             [--connections-per-address N] [--requests-per-address N]\n"
    "             [--trusted-proxy ADDR[,ADDR…]] [--spool-dir PATH] [--stop-timeout SECONDS]\n"
    "             [--max-rows N] [--session-idle-minutes N] [--session-max-hours N]\n"
    "             [--metrics-allow ADDR[/BITS][,…] | --no-metrics]\n"
    "       rsimd [--db …] --init-admin LOGIN\n"
    "       rsimd rekey --db ADDRESS [--key-file PATH]   (rsimd rekey --help)\n"
    "       rsimd backup --db sqlite:PATH --to FILE      (rsimd backup --help)\n";

[[noreturn]] void usage(const std::string& problem)
{
    std::cerr << "rsimd: " << problem << "\n" << kUsage;
    std::exit(2);
}

[[noreturn]] void help()
{
    std::cout
        << kUsage << "\n"
        << "  --db ADDRESS             the database (sqlite:var/rsim.db)\n"
        << "  --listen HOST:PORT       where to serve (127.0.0.1:7411; port 0: any free port)\n"
        << "  --key-file PATH          the KI key file (with SQLite: rsim.key beside the "
           "database)\n"
        << "  --tls-cert, --tls-key    serve HTTPS with this PEM chain and its key\n"
        << "  --insecure-http          serve plain HTTP on an address other than loopback\n"
        << "  --threads N              workers that run calls, and as many database connections "
           "(8:\n"
        << "                           on a 2-core host 8 gave the most calls/s on SQLite and on\n"
        << "                           PostgreSQL under 16 and 64 clients; see "
           "docs/operations.md)\n"
        << "  --max-rows N             rows one query answers at most (200000)\n"
        << "  --session-idle-minutes N a session unused this long ends (60)\n"
        << "  --session-max-hours N    a session ends this long after its login (12)\n"
        << "  --max-body MIB           largest request body, after decompression (512)\n"
        << "  --request-timeout SECONDS  a whole request, from its first byte (120)\n"
        << "  --idle-timeout SECONDS   a kept-alive connection without a request (2)\n"
        << "  --min-rate BYTES         bytes a second a request must send after the grace (4096)\n"
        << "  --rate-grace SECONDS     before the minimum rate counts (10)\n"
        << "  --max-connections N      connections at once (2000)\n"
        << "  --connections-per-address N  connections at once from one address (128)\n"
        << "  --requests-per-address N requests read or handled at once for one address (32)\n"
        << "  --trusted-proxy ADDR,…   proxies whose X-Forwarded-For names the client's address\n"
        << "  --spool-dir PATH         where request bodies over 64 KiB wait, unlinked (/tmp)\n"
        << "  --stop-timeout SECONDS   on SIGTERM, how long calls in progress may take (30)\n"
        << "  --metrics-allow ADDR[/BITS],…  who may read /metrics besides 127.0.0.1 and ::1\n"
        << "  --no-metrics             count nothing and serve no /metrics\n"
        << "  --seed demo              add the demo data and operators\n"
        << "  --init-admin LOGIN       make the first administrator (password from "
           "RSIM_NEW_PASSWORD\n"
        << "                           or asked twice) and exit\n";
    std::exit(0);
}

long number(const std::string& option, const std::string& text, long low, long high)
{
    char* end = nullptr;
    const long n = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || n < low || n > high)
        usage(option + " must be a number from " + std::to_string(low) + " to " +
              std::to_string(high) + ", not '" + text + "'");
    return n;
}

// A comma-separated list of IP addresses.
std::vector<std::string> addresses(const std::string& option, const std::string& text)
{
    std::vector<std::string> list;
    std::stringstream items(text);
    for (std::string item; std::getline(items, item, ',');) {
        boost::system::error_code ec;
        boost::asio::ip::make_address(item, ec);
        if (ec)
            usage(option + " takes IP addresses separated by commas, not '" + item + "'");
        list.push_back(item);
    }
    return list;
}

// A comma-separated list of IP addresses and networks (ADDRESS/BITS).
std::vector<std::string> networks(const std::string& option, const std::string& text)
{
    std::vector<std::string> list;
    std::stringstream items(text);
    for (std::string item; std::getline(items, item, ',');)
        list.push_back(item);
    try {
        rsim::metrics::PeerList{list};
    } catch (const std::invalid_argument& e) {
        usage(option + " takes IP addresses and networks separated by commas: " + e.what());
    }
    return list;
}

Options parse(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc)
                usage(option + " needs a value");
            return argv[++i];
        };
        if (option == "--help" || option == "-h")
            help();
        if (option == "--db")
            options.database = value();
        else if (option == "--listen")
            options.listen = value();
        else if (option == "--init-admin")
            options.initAdmin = value();
        else if (option == "--key-file")
            options.keyFile = value();
        else if (option == "--seed") {
            if (value() != "demo")
                usage("--seed takes only 'demo'");
            options.seed = true;
        } else if (option == "--threads")
            options.threads = static_cast<int>(number(option, value(), 1, 256));
        else if (option == "--max-rows")
            options.maxRows = number(option, value(), 1, 100000000);
        else if (option == "--session-idle-minutes")
            options.sessions.idle = std::chrono::minutes(number(option, value(), 1, 10080));
        else if (option == "--session-max-hours")
            options.sessions.longest = std::chrono::hours(number(option, value(), 1, 720));
        else if (option == "--tls-cert")
            options.tlsCertificate = value();
        else if (option == "--tls-key")
            options.tlsKey = value();
        else if (option == "--max-body") {
            options.limits.maxBody = static_cast<std::size_t>(number(option, value(), 1, 4096))
                                     << 20;
            options.limits.bodyBudget = 2 * options.limits.maxBody;
        } else if (option == "--request-timeout")
            options.limits.requestDeadline = std::chrono::seconds(number(option, value(), 1, 3600));
        else if (option == "--idle-timeout")
            options.limits.idleTimeout = std::chrono::seconds(number(option, value(), 1, 3600));
        else if (option == "--min-rate")
            options.limits.minRate = static_cast<std::size_t>(number(option, value(), 1, 1 << 30));
        else if (option == "--rate-grace")
            options.limits.rateGrace = std::chrono::seconds(number(option, value(), 1, 3600));
        else if (option == "--max-connections")
            options.limits.maxConnections =
                static_cast<std::size_t>(number(option, value(), 1, 1000000));
        else if (option == "--connections-per-address")
            options.limits.connectionsPerAddress =
                static_cast<std::size_t>(number(option, value(), 1, 1000000));
        else if (option == "--requests-per-address")
            options.limits.requestsPerAddress =
                static_cast<std::size_t>(number(option, value(), 1, 1000000));
        else if (option == "--trusted-proxy")
            options.limits.trustedProxies = addresses(option, value());
        else if (option == "--spool-dir")
            options.limits.spoolFolder = value();
        else if (option == "--metrics-allow")
            options.metricsAllowed = networks(option, value());
        else if (option == "--no-metrics")
            options.metrics = false;
        else if (option == "--insecure-http")
            options.insecureHttp = true;
        else if (option == "--stop-timeout")
            options.limits.stopTimeout = std::chrono::seconds(number(option, value(), 1, 3600));
        else
            usage("unknown option '" + option + "'");
    }
    if (options.tlsCertificate.empty() != options.tlsKey.empty())
        usage("--tls-cert and --tls-key go together");
    if (options.keyFile.empty()) {
        if (options.database.rfind("sqlite:", 0) != 0 || options.database == "sqlite::memory:")
            usage("--key-file is required with " + options.database);
        options.keyFile =
            (std::filesystem::path(options.database.substr(7)).parent_path() / "rsim.key").string();
    }
    return options;
}

std::pair<std::string, int> hostAndPort(const std::string& listen)
{
    const std::size_t colon = listen.rfind(':');
    if (colon == std::string::npos)
        usage("--listen must be HOST:PORT, not '" + listen + "'");
    char* end = nullptr;
    const long port = std::strtol(listen.c_str() + colon + 1, &end, 10);
    if (*end != '\0' || port < 0 || port > 65535)
        usage("--listen has a bad port in '" + listen + "'");
    return {listen.substr(0, colon), static_cast<int>(port)};
}

// Plain HTTP beyond loopback carries passwords, sessions and card secrets in the clear: only
// when asked for by name, and then with a warning.
void checkPlainHttp(const Options& options, const std::string& host)
{
    boost::system::error_code ec;
    const auto address = boost::asio::ip::make_address(host, ec);
    if (!options.tlsCertificate.empty() || host == "localhost" || ec || address.is_loopback())
        return;
    if (!options.insecureHttp)
        usage("--listen " + options.listen +
              " would serve plain HTTP to the network: give --tls-cert and --tls-key, or "
              "--insecure-http to serve it unencrypted all the same");
    std::cerr << "rsimd: warning: --insecure-http: serving plain HTTP on " << options.listen
              << "; passwords, sessions and card secrets cross the network unencrypted\n";
}

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
        server.stop();
    });
}

rsim::http::Reply reply(rsim::Answer a)
{
    return {a.status, std::move(a.body)};
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

// The database's schema version on a pooled connection, when one is free before the deadline.
int schemaVersion(rsim::DriverPool& pool, std::chrono::steady_clock::time_point deadline)
{
    auto lease = pool.tryAcquire(deadline);
    if (!lease)
        throw std::runtime_error("no database connection was free within the time");
    return static_cast<int>(
        rsim::db::asInt((*lease)->scalar("SELECT MAX(version) FROM schema_version")));
}

// GET /v1/health: 200 with the schema version, or 503 when the database does not answer within
// a second (and, as to every request, while the service stops).
rsim::http::Reply health(rsim::metrics::HealthProbe& probe)
{
    if (const auto version = probe.probe())
        return {200, R"({"status":"ok","schemaVersion":)" + std::to_string(*version) + "}"};
    return {503, rsim::http::faultBody(503, "数据库没有及时应答", "详情见服务日志")};
}

// GET /metrics: the Prometheus text, to loopback and the allowed peers only; anyone else is
// refused before anything is read.
rsim::http::Reply metricsText(const rsim::http::RequestHead& head,
                              const rsim::metrics::PeerList& allowed, rsim::DriverPool& pool,
                              const rsim::http::Server& server)
{
    if (!allowed.allows(head.peer))
        return {403, "只有本机和 --metrics-allow 列出的地址可以读取指标\n",
                "text/plain; charset=utf-8"};
    const auto usage = pool.usage();
    rsim::metrics::Gauges gauges{usage.inUse, usage.waiting, server.requestsInFlight(),
                                 server.bodyBytesHeld(), std::nullopt};
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
        if (auto refused = service_.admit(known->operation->first, code, head.session))
            return {answered(refused->status == 404 ? "unknown" : code, head, std::move(*refused),
                             started),
                    0};
        return {std::nullopt, maxBody_};
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
            if (answer.result > 0)
                rsim::metrics::loginFailed();
            return answered("login", head, std::move(answer), started);
        }
        if (head.target == "/v1/logout")
            return answered("logout", head, service_.logout(head.session, head.source), started);
        const auto& [interfaceName, code] = *known->operation;
        const rsim::BodySource body = [&request] { return request.body.open(); };
        return answered(code, head,
                        service_.call(interfaceName, code, body,
                                      {head.session, head.requestId, head.source},
                                      known->check ? rsim::Service::Mode::CheckOnly
                                                   : rsim::Service::Mode::Store),
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

// Every column whose values are sealed: the start-up key check, sealing in place, rekey and
// backup all go over these.
std::vector<rsim::secrets::SealedColumn> sealedColumns()
{
    auto columns = rsim::tables::sealedColumns();
    columns.push_back(rsim::sysmgnt::secretParameters());
    return columns;
}

} // namespace

int main(int argc, char** argv)
{
    // Files rsimd makes (the database, its WAL, the key file, backups) are its user's only.
    ::umask(077);
    const std::string command = argc > 1 ? argv[1] : "";
    const std::vector<std::string> commandArguments(argv + std::min(argc, 2), argv + argc);
    if (command == "rekey")
        return rsim::secrets::rekeyCommand(commandArguments, sealedColumns(), std::cout, std::cerr);
    if (command == "backup")
        return rsim::secrets::backupCommand(commandArguments, sealedColumns(), std::cout,
                                            std::cerr);
    std::signal(SIGTERM, requestStop);
    std::signal(SIGINT, requestStop);
    std::signal(SIGPIPE, SIG_IGN);
    const Options options = parse(argc, argv);
    const auto [host, port] = hostAndPort(options.listen);
    checkPlainHttp(options, host);
    try {
        auto setup = rsim::db::connect(options.database);
        rsim::db::migrate(*setup, rsim::db::schemaMigrations());
        if (!options.initAdmin.empty())
            return rsim::sysmgnt::initAdministrator(*setup, options.initAdmin);
        const bool embedded = options.database.rfind("sqlite:", 0) == 0;
        auto secrets =
            rsim::secrets::openKeyFile(*setup, sealedColumns(), options.keyFile, embedded);
        if (const auto sealed = rsim::secrets::sealInPlace(*setup, sealedColumns(), secrets))
            std::cerr << "rsimd: sealed " << sealed
                      << " secret values that an older version stored in plain or without their "
                         "place\n";
        if (options.seed) {
            rsim::sysmgnt::seedDemo(*setup, secrets);
            rsim::tables::seedDemo(*setup, secrets);
        }
        setup.reset();

        // Shared with a health check that may outlive the server in a database that hangs.
        const auto pool = std::make_shared<rsim::DriverPool>(
            options.database, static_cast<std::size_t>(options.threads));
        rsim::Service service(*pool, secrets, options.maxRows, options.sessions);
        rsim::metrics::HealthProbe probe(
            [pool](auto deadline) { return schemaVersion(*pool, deadline); },
            std::chrono::seconds(1));
        const Routes routes(service, options.limits.maxBody);
        rsim::http::Server server(
            options.limits, static_cast<std::size_t>(options.threads),
            [&routes](const rsim::http::RequestHead& head) { return routes.admit(head); },
            [&routes](const rsim::http::Request& request) { return routes.handle(request); },
            {options.tlsCertificate, options.tlsKey});
        server.monitor("/v1/health", [&probe](const auto&) { return health(probe); });
        const rsim::metrics::PeerList metricsPeers(options.metricsAllowed);
        if (options.metrics)
            server.monitor("/metrics", [&](const auto& head) {
                return metricsText(head, metricsPeers, *pool, server);
            });
        else
            rsim::metrics::disable();
        const int bound = server.listen(host, port);
        std::atomic<bool> finished{false};
        std::thread watcher = stopWatcher(server, finished);
        std::cout << "rsimd listening on " << (options.tlsCertificate.empty() ? "http" : "https")
                  << "://" << host << ":" << bound << " (" << rsim::db::redacted(options.database)
                  << ")" << std::endl;
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
    } catch (const std::exception& e) {
        std::cerr << "rsimd: " << e.what() << "\n";
        return 2;
    }
}
