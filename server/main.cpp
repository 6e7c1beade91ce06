// rsimd: the remote-SIM management service.
#include "commands.h"
#include "schema.h"
#include "service.h"
#include "sysmgnt.h"
#include "table.h"

#include "http_server.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <iostream>
#include <optional>
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
    int threads = 8;
    std::int64_t maxRows = rsim::Service::kDefaultMaxRows;
    rsim::SessionPolicy sessions;
    rsim::http::Limits limits;
};

constexpr const char* kUsage =
    "usage: rsimd [--db sqlite:PATH|postgresql://…] [--listen HOST:PORT] [--seed demo]\n"
    "             [--threads N] [--key-file PATH] [--tls-cert PATH --tls-key PATH]\n"
    "             [--max-body MIB] [--request-timeout SECONDS] [--idle-timeout SECONDS]\n"
    "             [--max-rows N] [--session-idle-minutes N] [--session-max-hours N]\n"
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

rsim::http::Reply route(rsim::Service& service, rsim::http::Request& request)
{
    const bool post = request.method == "POST";
    if (request.target == "/v1/ping" && request.method == "GET")
        return {200, R"({"result":0})"};
    if (request.target == "/v1/login" && post)
        return reply(service.login(request.body, request.source));
    if (request.target == "/v1/logout" && post)
        return reply(service.logout(request.session));
    const auto call = operationPath(request.target, "/v1/call/");
    const auto check = operationPath(request.target, "/v1/check/");
    if (call && post)
        return reply(
            service.call(call->first, call->second, std::move(request.body), request.session));
    if (check && post)
        return reply(service.call(check->first, check->second, std::move(request.body),
                                  request.session, rsim::Service::Mode::CheckOnly));
    const bool known = request.target == "/v1/ping" || request.target == "/v1/login" ||
                       request.target == "/v1/logout" || call || check;
    if (known)
        return {405,
                rsim::http::faultBody(405, "请求方法不对",
                                      request.target == "/v1/ping" ? "请用 GET" : "请用 POST")};
    return {
        404,
        rsim::http::faultBody(
            404, "没有这个地址",
            "地址为 /v1/login、/v1/logout、/v1/ping、/v1/call/接口/操作 或 /v1/check/接口/操作")};
}

// Every column whose values are sealed: the start-up key check, sealing in place, rekey and
// backup all go over these.
std::vector<rsim::secrets::SealedColumn> sealedColumns()
{
    return rsim::tables::sealedColumns();
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
            rsim::sysmgnt::seedDemo(*setup);
            rsim::tables::seedDemo(*setup, secrets);
        }
        setup.reset();

        rsim::DriverPool pool(options.database, static_cast<std::size_t>(options.threads));
        rsim::Service service(pool, secrets, options.maxRows, options.sessions);
        rsim::http::Server server(
            options.limits, static_cast<std::size_t>(options.threads),
            [&service](rsim::http::Request& request) { return route(service, request); },
            {options.tlsCertificate, options.tlsKey});
        const int bound = server.listen(host, port);
        std::atomic<bool> finished{false};
        std::thread watcher = stopWatcher(server, finished);
        std::cout << "rsimd listening on " << (options.tlsCertificate.empty() ? "http" : "https")
                  << "://" << host << ":" << bound << " (" << rsim::db::redacted(options.database)
                  << ")" << std::endl;
        server.run();
        finished = true;
        watcher.join();
        std::cout << "rsimd stopped" << std::endl;
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "rsimd: " << e.what() << "\n";
        return 2;
    }
}
