#include "scripted_ftp_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <sstream>
#include <vector>

namespace {

void send(int fd, const std::string& line)
{
    const std::string text = line + "\r\n";
    ::send(fd, text.data(), text.size(), MSG_NOSIGNAL);
}

bool readable(int fd)
{
    pollfd entry{fd, POLLIN, 0};
    return ::poll(&entry, 1, 100) > 0;
}

// "|1|127.0.0.1|4567|" (EPRT) or "127,0,0,1,17,215" (PORT).
void parseDataAddress(const std::string& command, const std::string& argument, std::string& host,
                      int& port)
{
    std::vector<std::string> parts;
    std::stringstream in(argument);
    for (std::string part; std::getline(in, part, command == "EPRT" ? argument[0] : ',');)
        parts.push_back(part);
    if (command == "EPRT" && parts.size() >= 4) {
        host = parts[2];
        port = std::stoi(parts[3]);
    } else if (command == "PORT" && parts.size() == 6) {
        host = parts[0] + "." + parts[1] + "." + parts[2] + "." + parts[3];
        port = std::stoi(parts[4]) * 256 + std::stoi(parts[5]);
    }
}

// Connects to the client's data port with a small receive window, so that the client's
// writes soon find no room.
int openData(const std::string& host, int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    const int window = 4096;
    ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &window, sizeof window);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<unsigned short>(port));
    ::inet_pton(AF_INET, host.c_str(), &address.sin_addr);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

ScriptedFtpServer::ScriptedFtpServer()
{
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(listener_, 4);
    socklen_t length = sizeof address;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { serve(); });
}

ScriptedFtpServer::~ScriptedFtpServer()
{
    stopping_ = true;
    thread_.join();
    ::close(listener_);
}

void ScriptedFtpServer::scriptRenameReplies(std::deque<std::string> replies)
{
    std::lock_guard lock(mutex_);
    renameReplies_ = std::move(replies);
}

void ScriptedFtpServer::refuseStoredFiles(std::string reply)
{
    std::lock_guard lock(mutex_);
    storeRefusal_ = std::move(reply);
}

void ScriptedFtpServer::serve()
{
    while (!stopping_) {
        if (!readable(listener_))
            continue;
        const int control = ::accept(listener_, nullptr, nullptr);
        if (control >= 0) {
            converse(control);
            ::close(control);
        }
    }
}

void ScriptedFtpServer::converse(int control)
{
    send(control, "220 Scripted server ready.");
    int data = -1;
    std::string pending;
    while (!stopping_) {
        if (!readable(control))
            continue;
        char buffer[1024];
        const ssize_t n = ::recv(control, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        pending.append(buffer, static_cast<std::size_t>(n));
        for (std::size_t end; (end = pending.find("\r\n")) != std::string::npos;
             pending.erase(0, end + 2)) {
            const std::string line = pending.substr(0, end);
            const std::size_t blank = line.find(' ');
            const std::string command = line.substr(0, blank);
            const std::string argument = blank == std::string::npos ? "" : line.substr(blank + 1);
            if (const std::string answer = reply(control, command, argument, data); !answer.empty())
                send(control, answer);
        }
    }
    if (data >= 0)
        ::close(data);
}

std::string ScriptedFtpServer::reply(int control, const std::string& command,
                                     const std::string& argument, int& data)
{
    if (command == "USER")
        return "331 Password required.";
    if (command == "PASS")
        return "230 Logged in.";
    if (command == "PWD")
        return "257 \"/\" is the current directory.";
    if (command == "EPRT" || command == "PORT") {
        parseDataAddress(command, argument, dataHost_, dataPort_);
        return "200 Active data connection established.";
    }
    if (command == "EPSV" || command == "PASV")
        return "502 Passive mode not offered.";
    if (command == "RNFR")
        return "350 Ready for destination name.";
    if (command == "RNTO") {
        std::lock_guard lock(mutex_);
        if (renameReplies_.empty())
            return "250 Renamed.";
        std::string scripted = renameReplies_.front();
        renameReplies_.pop_front();
        return scripted;
    }
    if (command == "STOR") {
        data = openData(dataHost_, dataPort_);
        if (data < 0)
            return "425 Cannot open the data connection.";
        std::string refusal;
        {
            std::lock_guard lock(mutex_);
            refusal = storeRefusal_;
        }
        if (refusal.empty()) {
            send(control, "150 Opening data connection; nothing will be read.");
            return "";
        }
        send(control, "150 Opening data connection.");
        char buffer[65536];
        while (::recv(data, buffer, sizeof buffer, 0) > 0) {
        }
        ::close(data);
        data = -1;
        return refusal;
    }
    if (command == "QUIT")
        return "221 Goodbye.";
    return "200 OK.";
}
