// The service's HTTP/1.1 (and HTTPS) front: an asynchronous server on one I/O thread that never
// blocks on a peer, with the request handlers run on a pool of worker threads.
//
// Every request is bounded in time and memory from its first byte: a keep-alive connection that
// sends nothing is closed after the idle time; a request must arrive whole (header and body)
// within the request deadline; a body is refused as soon as its size is known to exceed the
// limit, whatever its framing (Content-Length, chunked, gzip); the bodies in flight together
// stay under a budget. Slow or stalled peers hold only a socket and their buffer, never a worker.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace rsim::http {

struct Limits {
    std::size_t maxBody = 512u * 1024 * 1024;     // of one request, after decompression
    std::size_t bodyBudget = 1024u * 1024 * 1024; // of all bodies being read or handled at once
    std::size_t maxHeader = 16 * 1024;
    std::size_t maxConnections = 2000;
    std::chrono::milliseconds requestDeadline{std::chrono::seconds(120)}; // first byte to last
    std::chrono::milliseconds idleTimeout{std::chrono::seconds(2)};       // keep-alive, no request
};

struct Request {
    std::string method;
    std::string target;
    std::string session; // the X-Tav-Session header
    std::string source;  // the peer's address
    std::string body;    // decompressed
};

struct Reply {
    int status = 200;
    std::string body; // JSON text
};

// Runs on a worker thread; must not throw (the server answers 500 if it does). It may take the
// body, so that a large one is let go as soon as it is read.
using Handler = std::function<Reply(Request&)>;

// The JSON answer of a protocol fault, in the shape of every answer's error record.
std::string faultBody(int status, const std::string& message, const std::string& hint = "");

struct TlsFiles {
    std::string certificate; // PEM chain
    std::string privateKey;  // PEM
};

class Server {
public:
    // An empty certificate path serves plain HTTP.
    Server(Limits limits, std::size_t workers, Handler handler, const TlsFiles& tls = {});
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // Binds and listens; returns the bound port (host "127.0.0.1", port 0: any free port).
    // Throws std::runtime_error when the address cannot be used.
    int listen(const std::string& host, int port);
    // Serves until stop(); returns when every worker is done.
    void run();
    // Safe from any thread and from a signal-watching thread.
    void stop();

    struct State; // shared with the connections, which may outlive a stop

private:
    std::shared_ptr<State> state_;
};

} // namespace rsim::http
