// The service's HTTP/1.1 (and HTTPS) front: an asynchronous server on one I/O thread that never
// blocks on a peer, with the request handlers run on a pool of worker threads (a deferred
// route's handler hands its answer back later from a thread of its own, see routes.h).
//
// Every request is bounded in time and memory from its first byte: a keep-alive connection that
// sends nothing is closed after the idle time; a request must keep up a minimum rate after a
// grace and arrive whole (header and body) within the request deadline, bytes the parser cannot
// take yet (a header, a chunk line, a trailer) are held to a few KiB; once its header is read
// its route (routes.h) is found and it is admitted (session, right) before any of its body is
// read, and a refused one is answered at once; an admitted body is taken as it arrives, inflated
// and spooled (see request_body.h), and refused as soon as it exceeds its route's limit, whatever
// its framing. One
// address holds a share of the connections and of the requests in flight. Slow or stalled peers
// hold only a socket and their buffer, never a worker.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "routes.h"

namespace rsim::http {

struct Limits {
    std::size_t maxBody = 512u * 1024 * 1024;     // of any route's request, after decompression
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

struct TlsFiles {
    std::string certificate; // PEM chain
    std::string privateKey;  // PEM
};

class Server {
public:
    // An empty certificate path serves plain HTTP.
    Server(Limits limits, std::size_t workers, Routes routes, const TlsFiles& tls = {});
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

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
