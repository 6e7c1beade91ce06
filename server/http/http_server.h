// The HTTP face of the service (cpp-httplib): the routes of the wire protocol on a pool of
// worker threads with keep-alive connections.
//
//   GET  /v1/ping                          200 {"result":0}
//   POST /v1/echo                          answers the body it was sent
//   POST /v1/login                         {"login","password"}
//   POST /v1/logout                        session in X-Tav-Session
//   POST /v1/call/<interface>/<code>       {"in": {…}}, session in X-Tav-Session
//
// Every other answer of an error status carries a JSON error record too.
#pragma once

#include "service.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

namespace httplib {
class Server;
}

namespace rsim::http {

struct StartupError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class HttpServer {
public:
    HttpServer(Service& service, int threads, std::size_t maxBodyBytes);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Binds the address (port 0: a free port) and returns the port; throws StartupError when the
    // address is in use or not available. Unlike cpp-httplib's default, a port that another
    // process listens on is refused rather than shared.
    int bind(const std::string& host, int port);
    // Serves until stop(); then waits for the calls in progress to finish.
    void run();
    // Makes run() return; safe from any thread, also before run() has started.
    void stop();

private:
    std::unique_ptr<httplib::Server> server_;
    int socket_ = -1;
    std::mutex state_;
    bool stopRequested_ = false;
    bool started_ = false;
    std::atomic<bool> finished_ = false;
};

} // namespace rsim::http
