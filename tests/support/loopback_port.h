// A loopback port for tests of clients against a service that misbehaves: nothing listens on it,
// it accepts connections and never answers, or it answers one request and is gone.
#pragma once

#include <string>
#include <thread>

namespace testsupport {

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
    void bindAny();
    void close();

    int socket_ = -1;
    int port_ = 0;
    std::thread answering_;
};

} // namespace testsupport
