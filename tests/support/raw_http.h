// A raw HTTP/1.1 client over loopback sockets, for tests that need what an HTTP library hides:
// a connection from a second loopback address, a request sent in pieces, a peer that closes.
#pragma once

#include <nlohmann/json.hpp>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <map>
#include <sstream>
#include <string>

namespace rawhttp {

constexpr int kPatienceMs = 10000; // far beyond any answer; on a blocked server, a failure

// An answer, or a request as a test proxy reads it (its status then 0).
struct HttpAnswer {
    int status = -1;  // -1: no answer (closed, or nothing within the patience)
    std::string head; // the start line and headers as sent, without the blank line
    std::map<std::string, std::string> headers; // names in lower case
    std::string body;
    std::string text() const { return head + "\r\n\r\n" + body; }
    nlohmann::json document() const { return nlohmann::json::parse(body, nullptr, false); }
    std::string message() const
    {
        const nlohmann::json d = document();
        return d.is_object() && d.contains("error") ? d["error"].value("message", "") : "";
    }
};

class Socket {
public:
    // from: the loopback address the connection comes from.
    explicit Socket(int port, const char* from = "127.0.0.1")
    {
        sockaddr_in source{AF_INET, 0, {}, {}};
        ::inet_pton(AF_INET, from, &source.sin_addr);
        ::bind(fd_, reinterpret_cast<sockaddr*>(&source), sizeof source);
        const sockaddr_in address{
            AF_INET, htons(static_cast<std::uint16_t>(port)), {htonl(INADDR_LOOPBACK)}, {}};
        ::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    }
    // A connection accepted by a test's own listener.
    struct Accepted {
        int fd;
    };
    explicit Socket(Accepted accepted) : fd_(accepted.fd) {}
    ~Socket() { ::close(fd_); }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    bool send(const std::string& bytes)
    {
        std::size_t sent = 0;
        while (sent < bytes.size()) {
            const ssize_t n = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (n <= 0)
                return false;
            sent += static_cast<std::size_t>(n);
        }
        return true;
    }

    HttpAnswer read()
    {
        HttpAnswer answer;
        std::size_t headerEnd;
        while ((headerEnd = pending_.find("\r\n\r\n")) == std::string::npos)
            if (!fill())
                return answer;
        answer.head = pending_.substr(0, headerEnd);
        std::istringstream head(answer.head);
        std::string line, version;
        std::getline(head, line);
        std::istringstream(line) >> version >> answer.status;
        while (std::getline(head, line)) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            const auto colon = line.find(':');
            std::string name = line.substr(0, colon);
            for (auto& c : name)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            answer.headers[name] = line.substr(colon + 2);
        }
        const std::size_t length = std::stoul(
            answer.headers.count("content-length") ? answer.headers["content-length"] : "0");
        while (pending_.size() < headerEnd + 4 + length)
            if (!fill()) {
                answer.status = -1;
                return answer;
            }
        answer.body = pending_.substr(headerEnd + 4, length);
        pending_.erase(0, headerEnd + 4 + length);
        return answer;
    }

private:
    // Appends what the peer sends within the patience; false when it closed or sent nothing.
    bool fill()
    {
        char buffer[65536];
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, kPatienceMs) != 1)
            return false;
        const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
        if (n <= 0)
            return false;
        pending_.append(buffer, static_cast<std::size_t>(n));
        return true;
    }

    int fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    std::string pending_;
};

inline std::string post(const std::string& path, const std::string& body,
                        const std::string& extraHeaders = "")
{
    return "POST " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: application/json\r\n" +
           extraHeaders + "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

inline std::string get(const std::string& path)
{
    return "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
}

// The answer to one request on a connection of its own from the loopback address from.
inline HttpAnswer exchange(int port, const std::string& request, const char* from = "127.0.0.1")
{
    Socket socket(port, from);
    socket.send(request);
    return socket.read();
}

} // namespace rawhttp
