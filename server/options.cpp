#include "options.h"

#include "address_list.h"

#include <boost/asio/ip/address.hpp>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <sstream>

namespace rsimd {
namespace {

constexpr const char* kUsage =
    "usage: rsimd [--db sqlite:PATH|postgresql://…] [--listen HOST:PORT] [--seed demo]\n"
    "             [--threads N] [--key-file PATH] [--tls-cert PATH --tls-key PATH]\n"
    "             [--insecure-http]\n"
    "             [--max-body MIB] [--request-timeout SECONDS] [--idle-timeout SECONDS]\n"
    "             [--min-rate BYTES] [--rate-grace SECONDS] [--max-connections N]\n"
    "             [--connections-per-address N] [--requests-per-address N]\n"
    "             [--trusted-proxy ADDR[,ADDR…]] [--spool-dir PATH] [--stop-timeout SECONDS]\n"
    "             [--max-rows N] [--session-idle-minutes N] [--session-max-hours N]\n"
    "             [--access-audit-days N] [--db-timeout SECONDS]\n"
    "             [--metrics-listen HOST:PORT [--metrics-allow ADDR[/BITS][,…]] | --no-metrics]\n"
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
        << "  --db-timeout SECONDS     one round trip to PostgreSQL; past it the connection is\n"
        << "                           dropped and the call answered 503 (5)\n"
        << "  --max-rows N             rows one query answers at most (200000)\n"
        << "  --session-idle-minutes N a session unused this long ends (60)\n"
        << "  --session-max-hours N    a session ends this long after its login (12)\n"
        << "  --access-audit-days N    how long the access audit's rows are kept (400)\n"
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
        << "  --metrics-listen HOST:PORT  serve /metrics there, and only there (none: nowhere)\n"
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
        rsim::http::AddressList{list};
    } catch (const std::invalid_argument& e) {
        usage(option + " takes IP addresses and networks separated by commas: " + e.what());
    }
    return list;
}

} // namespace

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
        else if (option == "--db-timeout")
            options.databaseTimeout = std::chrono::seconds(number(option, value(), 1, 3600));
        else if (option == "--max-rows")
            options.maxRows = number(option, value(), 1, 100000000);
        else if (option == "--session-idle-minutes")
            options.sessions.idle = std::chrono::minutes(number(option, value(), 1, 10080));
        else if (option == "--session-max-hours")
            options.sessions.longest = std::chrono::hours(number(option, value(), 1, 720));
        else if (option == "--access-audit-days")
            options.accessAuditRetention = std::chrono::days(number(option, value(), 1, 36500));
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
        else if (option == "--metrics-listen")
            options.metricsListen = value();
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

std::pair<std::string, int> hostAndPort(const std::string& listen, const std::string& option)
{
    const std::size_t colon = listen.rfind(':');
    if (colon == std::string::npos)
        usage(option + " must be HOST:PORT, not '" + listen + "'");
    char* end = nullptr;
    const long port = std::strtol(listen.c_str() + colon + 1, &end, 10);
    if (*end != '\0' || port < 0 || port > 65535)
        usage(option + " has a bad port in '" + listen + "'");
    return {listen.substr(0, colon), static_cast<int>(port)};
}

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

} // namespace rsimd
