// rsimd: the remote-SIM management service.
#include "schema.h"
#include "service.h"
#include "sysmgnt.h"
#include "table.h"

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>
#include <filesystem>
#include <iostream>
#include <thread>

namespace {

constexpr std::size_t kMaxBody = 512u * 1024 * 1024;
constexpr const char* kSessionHeader = "X-Tav-Session";

struct Options {
    std::string database = "sqlite:var/rsim.db";
    std::string listen = "127.0.0.1:7411";
    std::string keyFile;
    bool seed = false;
    int threads = 8;
};

[[noreturn]] void usage(const std::string& problem)
{
    std::cerr << "rsimd: " << problem << "\n"
              << "usage: rsimd [--db sqlite:PATH|postgresql://…] [--listen HOST:PORT] [--seed demo]\n"
              << "             [--threads N] [--key-file PATH]\n";
    std::exit(2);
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
        if (option == "--db")
            options.database = value();
        else if (option == "--listen")
            options.listen = value();
        else if (option == "--key-file")
            options.keyFile = value();
        else if (option == "--seed") {
            if (value() != "demo")
                usage("--seed takes only 'demo'");
            options.seed = true;
        } else if (option == "--threads") {
            const std::string text = value();
            char* end = nullptr;
            const long n = std::strtol(text.c_str(), &end, 10);
            if (*end != '\0' || n < 1 || n > 256)
                usage("--threads must be a number from 1 to 256, not '" + text + "'");
            options.threads = static_cast<int>(n);
        } else
            usage("unknown option '" + option + "'");
    }
    if (options.keyFile.empty()) {
        if (options.database.rfind("sqlite:", 0) != 0 || options.database == "sqlite::memory:")
            usage("--key-file is required with " + options.database);
        options.keyFile = (std::filesystem::path(options.database.substr(7)).parent_path() / "rsim.key").string();
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

// cpp-httplib binds with SO_REUSEPORT, which lets a second server share a port that is in use;
// a plain bind first tells whether the port is really free.
bool portFree(const std::string& host, int port)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0)
        return false;
    const int fd = ::socket(found->ai_family, found->ai_socktype, found->ai_protocol);
    int yes = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    const bool free = fd >= 0 && ::bind(fd, found->ai_addr, found->ai_addrlen) == 0;
    if (fd >= 0)
        ::close(fd);
    freeaddrinfo(found);
    return free;
}

volatile std::sig_atomic_t stopRequested = 0;

void requestStop(int)
{
    stopRequested = 1;
}

// Stops the server once a stop was asked for and the server runs: a stop that arrives while the
// server is still starting would otherwise be lost.
std::thread stopWatcher(httplib::Server& server, const std::atomic<bool>& finished)
{
    return std::thread([&server, &finished] {
        while (!finished) {
            if (stopRequested && server.is_running())
                server.stop();
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
}

void answer(httplib::Response& response, const rsim::Answer& a)
{
    response.status = a.status;
    response.set_content(a.body, "application/json");
}

void routes(httplib::Server& server, rsim::Service& service)
{
    server.Get("/v1/ping", [](const httplib::Request&, httplib::Response& r) {
        r.set_content(R"({"result":0})", "application/json");
    });
    server.Post("/v1/login", [&](const httplib::Request& q, httplib::Response& r) { answer(r, service.login(q.body)); });
    server.Post("/v1/logout", [&](const httplib::Request& q, httplib::Response& r) {
        answer(r, service.logout(q.get_header_value(kSessionHeader)));
    });
    server.Post(R"(/v1/call/([^/]+)/([^/]+))", [&](const httplib::Request& q, httplib::Response& r) {
        answer(r, service.call(q.matches[1], q.matches[2], q.body, q.get_header_value(kSessionHeader)));
    });
    server.Post(R"(/v1/check/([^/]+)/([^/]+))", [&](const httplib::Request& q, httplib::Response& r) {
        answer(r, service.call(q.matches[1], q.matches[2], q.body, q.get_header_value(kSessionHeader),
                               rsim::Service::Mode::CheckOnly));
    });
    server.set_error_handler([](const httplib::Request&, httplib::Response& r) {
        if (!r.body.empty())
            return;
        const std::string message = r.status == 413 ? "请求过大" : r.status == 404 ? "没有这个地址" : "请求无法处理";
        r.set_content(nlohmann::json{{"result", -1},
                                     {"error", {{"code", -1}, {"minCode", r.status}, {"message", message}, {"hint", ""}}}}
                          .dump(),
                      "application/json");
    });
}

} // namespace

int main(int argc, char** argv)
{
    std::signal(SIGTERM, requestStop);
    std::signal(SIGINT, requestStop);
    std::signal(SIGPIPE, SIG_IGN);
    const Options options = parse(argc, argv);
    const auto [host, port] = hostAndPort(options.listen);
    try {
        auto setup = rsim::db::connect(options.database);
        rsim::db::migrate(*setup, rsim::db::schemaMigrations());
        const bool embedded = options.database.rfind("sqlite:", 0) == 0;
        auto secrets = rsim::secrets::SecretBox::fromKeyFile(options.keyFile, embedded);
        if (options.seed) {
            rsim::sysmgnt::seedDemo(*setup);
            rsim::tables::seedDemo(*setup, secrets);
        }
        setup.reset();

        rsim::DriverPool pool(options.database, static_cast<std::size_t>(options.threads));
        rsim::Service service(pool, secrets);
        httplib::Server server;
        server.set_tcp_nodelay(true);
        server.set_keep_alive_max_count(1000);
        server.set_payload_max_length(kMaxBody);
        server.set_read_timeout(300, 0);
        server.new_task_queue = [threads = options.threads] {
            return new httplib::ThreadPool(static_cast<std::size_t>(threads));
        };
        routes(server, service);
        const int bound = port == 0                ? server.bind_to_any_port(host)
                          : !portFree(host, port) ? -1
                          : server.bind_to_port(host, port) ? port
                                                              : -1;
        if (bound < 0) {
            std::cerr << "rsimd: cannot listen on " << options.listen << " (address in use or not available)\n";
            return 2;
        }
        std::atomic<bool> finished{false};
        std::thread watcher = stopWatcher(server, finished);
        std::cout << "rsimd listening on http://" << host << ":" << bound << " (" << options.database << ")"
                  << std::endl;
        server.listen_after_bind();
        finished = true;
        watcher.join();
        std::cout << "rsimd stopped" << std::endl;
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "rsimd: " << e.what() << "\n";
        return 2;
    }
}
