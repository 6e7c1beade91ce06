// A loopback port for tests of clients against a service that misbehaves: nothing listens on it,
// it accepts connections and never answers, or it answers one request and is gone.
#pragma once

#include <string>
#include <thread>

namespace testsupport {

// A socket listening on a loopback port of the system's choice, which port is set to.
int listenOnLoopback(int& port);

class LoopbackPort {
public:
    enum class Behaviour { Closed, Silent };
    explicit LoopbackPort(Behaviour behaviour);
    // Answers the first request with `response` (a whole HTTP response), then stops listening.
    explicit LoopbackPort(std::string response);
    ~LoopbackPort();
    LoopbackPort(const LoopbackPort&) = delete;
    LoopbackPort& operator=(const LoopbackPort&) = delete;

    // "http://127.0.0.1:PORT"
    std::string address() const { return "http://127.0.0.1:" + std::to_string(port_); }

private:
    void close();

    int port_ = 0; // before socket_, whose opening sets it
    int socket_ = -1;
    std::thread answering_;
};

} // namespace testsupport
