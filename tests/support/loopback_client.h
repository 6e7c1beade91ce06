// An HTTP client over a raw loopback socket, for tests that control every byte a client sends:
// from which loopback address, how slowly, how malformed.
#pragma once

#include <nlohmann/json.hpp>

#include <map>
#include <string>

namespace testsupport {

struct HttpAnswer {
    int status = -1; // -1: no answer (closed, or nothing within the patience)
    std::map<std::string, std::string> headers; // names in lower case
    std::string body;
    nlohmann::json document() const { return nlohmann::json::parse(body, nullptr, false); }
    // The message of the answer's error record, "" when it has none.
    std::string message() const;
};

// A whole POST request of a JSON body; extraHeaders are whole lines ("Name: value\r\n").
std::string httpPost(const std::string& path, const std::string& body,
                     const std::string& extraHeaders = "");

class LoopbackClient {
public:
    // Connects to 127.0.0.1:port from the loopback address from.
    explicit LoopbackClient(int port, const char* from = "127.0.0.1");
    ~LoopbackClient();
    LoopbackClient(const LoopbackClient&) = delete;
    LoopbackClient& operator=(const LoopbackClient&) = delete;

    bool connected() const { return connected_; }
    bool send(const std::string& bytes);
    // The next answer; waits at most ten seconds (far beyond any answer) for each piece.
    HttpAnswer read();
    HttpAnswer exchange(const std::string& request);
    // Waits up to the patience for the peer to close; true when it did.
    bool closedByPeer();

private:
    bool wait();
    bool fill();

    int fd_ = -1;
    bool connected_ = false;
    std::string pending_;
};

} // namespace testsupport
