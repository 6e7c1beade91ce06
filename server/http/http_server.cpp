#include "http_server.h"

#include <httplib.h>

#include <sys/socket.h>

#include <chrono>
#include <thread>

namespace rsim::http {
namespace {

constexpr const char* kSessionHeader = "X-Tav-Session";

void send(httplib::Response& response, const Answer& answer)
{
    response.status = answer.status;
    response.set_content(answer.body.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace),
                         "application/json");
}

// The error record of an answer that cpp-httplib made itself (bad request line, unknown path,
// body too large), or of an exception that escaped a route.
void sendTransportError(httplib::Response& response, int status, const std::string& message,
                        const std::string& hint)
{
    send(response, {status, refusal(-1, status, message, hint)});
}

std::string messageOf(int status)
{
    switch (status) {
    case 400: return "请求格式错误";
    case 404: return "没有这个地址";
    case 405: return "不支持该请求方法";
    case 413: return "请求过大";
    default: return "请求无法处理";
    }
}

void addRoutes(httplib::Server& server, Service& service, std::size_t maxBodyBytes)
{
    server.Get("/v1/ping", [](const httplib::Request&, httplib::Response& response) {
        response.set_content(R"({"result":0})", "application/json");
    });
    // Answers the body as it came: a baseline for the cost of the transport alone.
    server.Post("/v1/echo", [](const httplib::Request& request, httplib::Response& response) {
        response.set_content(request.body, "application/json");
    });
    server.Post("/v1/login", [&service](const httplib::Request& request, httplib::Response& response) {
        send(response, service.login(request.body));
    });
    server.Post("/v1/logout", [&service](const httplib::Request& request, httplib::Response& response) {
        send(response, service.logout(request.get_header_value(kSessionHeader)));
    });
    server.Post(R"(/v1/call/([^/]+)/([^/]+))", [&service](const httplib::Request& request, httplib::Response& response) {
        send(response, service.call(request.matches[1], request.matches[2], request.body,
                                    request.get_header_value(kSessionHeader)));
    });
    server.set_error_handler([maxBodyBytes](const httplib::Request& request, httplib::Response& response) {
        if (!response.body.empty())
            return;
        const std::string hint = response.status == 413
                                     ? "请求体不能超过 " + std::to_string(maxBodyBytes >> 20) + " MiB"
                                     : request.method + " " + request.path;
        sendTransportError(response, response.status, messageOf(response.status), hint);
    });
    server.set_exception_handler([](const httplib::Request& request, httplib::Response& response, std::exception_ptr fault) {
        std::string what = "unknown exception";
        try {
            std::rethrow_exception(fault);
        } catch (const std::exception& e) {
            what = e.what();
        } catch (...) {
        }
        sendTransportError(response, 500, "服务内部错误", request.path + ": " + what);
    });
}

} // namespace

HttpServer::HttpServer(Service& service, int threads, std::size_t maxBodyBytes)
    : server_(std::make_unique<httplib::Server>())
{
    server_->set_tcp_nodelay(true);
    server_->set_keep_alive_max_count(100000);
    server_->set_read_timeout(60, 0);
    server_->set_write_timeout(60, 0);
    server_->set_payload_max_length(maxBodyBytes);
    server_->new_task_queue = [threads] { return new httplib::ThreadPool(static_cast<std::size_t>(threads)); };
    server_->set_socket_options([this](socket_t socket) {
        int yes = 1;
        ::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        socket_ = socket;
    });
    addRoutes(*server_, service, maxBodyBytes);
}

HttpServer::~HttpServer() = default;

int HttpServer::bind(const std::string& host, int port)
{
    const int bound = port == 0 ? server_->bind_to_any_port(host) : (server_->bind_to_port(host, port) ? port : -1);
    if (bound <= 0)
        throw StartupError("cannot listen on " + host + ":" + std::to_string(port) +
                           " (address in use or not available)");
    // cpp-httplib listens with a backlog of 5, too few for a burst of clients.
    ::listen(socket_, SOMAXCONN);
    return bound;
}

void HttpServer::run()
{
    {
        std::lock_guard lock(state_);
        if (stopRequested_)
            return;
        started_ = true;
    }
    server_->listen_after_bind();
    finished_ = true;
}

void HttpServer::stop()
{
    {
        std::lock_guard lock(state_);
        stopRequested_ = true;
        if (!started_)
            return;
    }
    // run() has begun; cpp-httplib ignores a stop until its accept loop is running.
    while (!server_->is_running() && !finished_)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    server_->stop();
}

} // namespace rsim::http
