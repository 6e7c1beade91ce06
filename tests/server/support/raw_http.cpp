#include "raw_http.h"

#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace rsim::test {
namespace {

// A connected socket to "http://127.0.0.1:PORT".
int connectTo(const std::string& address)
{
    const int port = std::stoi(address.substr(address.rfind(':') + 1));
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(static_cast<std::uint16_t>(port));
    ::inet_pton(AF_INET, "127.0.0.1", &target.sin_addr);
    if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr*>(&target), sizeof target) != 0)
        throw std::runtime_error("cannot connect to " + address);
    return fd;
}

// Whether text holds the head of an HTTP answer and all the body its Content-Length announces.
bool completeAnswer(const std::string& text)
{
    const std::size_t headEnd = text.find("\r\n\r\n");
    if (headEnd == std::string::npos)
        return false;
    const std::size_t length = text.find("Content-Length: ");
    const std::size_t body = length == std::string::npos || length > headEnd ? 0 : std::stoul(text.substr(length + 16));
    return text.size() >= headEnd + 4 + body;
}

void writeAll(int fd, const std::string& bytes)
{
    for (std::size_t sent = 0; sent < bytes.size();) {
        const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return; // the service closed the connection: what it answered is still readable
        sent += static_cast<std::size_t>(n);
    }
}

} // namespace

RawAnswer post(const std::string& address, const std::string& path, const std::string& body, const std::string& session)
{
    httplib::Client client(address);
    client.set_keep_alive(false);
    client.set_read_timeout(60, 0);
    httplib::Headers headers;
    if (!session.empty())
        headers.emplace("X-Tav-Session", session);
    const auto answer = client.Post(path.c_str(), headers, body, "application/json");
    RawAnswer raw;
    if (answer) {
        raw.status = answer->status;
        raw.body = nlohmann::json::parse(answer->body, nullptr, false);
    }
    return raw;
}

std::string sendBytes(const std::string& address, const std::string& bytes)
{
    const int fd = connectTo(address);
    timeval wait{10, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    writeAll(fd, bytes);
    std::string answer;
    char buffer[4096];
    for (ssize_t n; !completeAnswer(answer) && (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;)
        answer.append(buffer, static_cast<std::size_t>(n));
    ::close(fd);
    return answer;
}

void sendAndDrop(const std::string& address, const std::string& bytes)
{
    const int fd = connectTo(address);
    writeAll(fd, bytes);
    ::close(fd);
}

} // namespace rsim::test
