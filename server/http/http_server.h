// The service's HTTP/1.1 (and HTTPS) front: an asynchronous server on one I/O thread that never
// blocks on a peer, with the request handlers run on a pool of worker threads.
//
// Every request is bounded in time and memory from its first byte: a keep-alive connection that
// sends nothing is closed after the idle time; a request must keep up a minimum rate after a
// grace and arrive whole (header and body) within the request deadline; once its header is read
// it is admitted (route, session, right) before any of its body is read, and a refused one is
// answered at once; an admitted body is taken as it arrives, inflated and spooled (see
// request_body.h), and refused as soon as it exceeds its limit, whatever its framing. One
// address holds a share of the connections and of the requests in flight. Slow or stalled peers
// hold only a socket and their buffer, never a worker.
#pragma once

#include <any>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "request_body.h"

namespace rsim::http {

struct Limits {
    std::size_t maxBody = 512u * 1024 * 1024;     // of one request, after decompression
    std::size_t bodyBudget = 1024u * 1024 * 1024; // spooled bytes of all admitted bodies at once
    std::size_t maxHeader = 16 * 1024;
    std::size_t maxConnections = 2000;
    std::size_t connectionsPerAddress = 128; // from one peer, unless it is a trusted proxy
    std::size_t requestsPerAddress = 32;     // in flight from one source address
    std::chrono::milliseconds requestDeadline{std::chrono::seconds(120)}; // first byte to last
    std::chrono::milliseconds idleTimeout{std::chrono::seconds(2)};       // keep-alive, no request
    // A request that has not sent minRate bytes a second since its first byte, beyond a grace
    // period, is cut: a slow one goes after the grace, not after the whole deadline.
    std::size_t minRate = 4096;
    std::chrono::milliseconds rateGrace{std::chrono::seconds(10)};
    std::chrono::milliseconds stopTimeout{std::chrono::seconds(30)}; // calls finish within it
    std::size_t monitoringWorkers = 2;
    std::string spoolFolder = "/tmp";
    std::vector<std::string> trustedProxies; // peers whose X-Forwarded-For names the source
};

// What a request's header says, read before any of its body.
struct RequestHead {
    std::string method;
    std::string target;
    std::string session;   // the X-Tav-Session header
    std::string requestId; // the X-Tav-Request-Id header
    std::string source;    // the client's address: the peer, or what a trusted proxy forwards
    std::string peer;      // the address the connection comes from
};

struct Reply {
    int status = 200;
    std::string body; // JSON text, unless contentType says otherwise
    std::string contentType = "application/json";
    std::int64_t retryAfter = 0; // seconds, sent as Retry-After when positive
};

// The answer of the admission: a refusal, answered before any of the body is read, or the
// largest body the request may send and what the admission found (its session's operator),
// which the handler is given.
struct Admission {
    std::optional<Reply> refusal;
    std::size_t maxBody = 0;
    std::any found{};
};

struct Request {
    RequestHead head;
    const RequestBody& body; // inflated
    const std::any& found;   // of the admission
};

// Both run on a worker thread and must not throw (the server answers 500 if they do). Admit runs
// when a request's header has arrived; the handler once its body has.
using Admit = std::function<Admission(const RequestHead&)>;
using Handler = std::function<Reply(const Request&)>;
// A route that monitoring asks (health, metrics): a GET without a body, answered without
// admission on threads of its own, so that it is answered while every worker runs a call.
using MonitoringHandler = std::function<Reply(const RequestHead&)>;

// The JSON answer of a protocol fault, in the shape of every answer's error record.
std::string faultBody(int status, const std::string& message, const std::string& hint = "");

struct TlsFiles {
    std::string certificate; // PEM chain
    std::string privateKey;  // PEM
};

class Server {
public:
    // An empty certificate path serves plain HTTP.
    Server(Limits limits, std::size_t workers, Admit admit, Handler handler,
           const TlsFiles& tls = {});
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // Adds a monitoring route, before run().
    void monitor(const std::string& target, MonitoringHandler handler);
    // Binds and listens; returns the bound port (host "127.0.0.1", port 0: any free port).
    // Throws std::runtime_error when the address cannot be used.
    int listen(const std::string& host, int port);
    // Runs tick on the I/O thread every period until the I/O loop ends: a loop that stalls stops
    // ticking (systemd's watchdog is fed so). Before run().
    void every(std::chrono::milliseconds period, std::function<void()> tick);
    // Serves until stop(); returns when every worker is done. False when calls were still
    // running at the stop timeout (their answers are lost).
    bool run();
    // Stops accepting, answers new requests 503, lets the requests in progress finish and
    // closes every connection once their answers are sent, or at the stop timeout. Safe from any
    // thread.
    void stop();
    // Bytes of request bodies spooled now, and requests being read or handled.
    std::size_t bodyBytesHeld() const;
    std::size_t requestsInFlight() const;

    struct State; // shared with the connections, which may outlive a stop

private:
    std::shared_ptr<State> state_;
};

} // namespace rsim::http
