#include "loopback_port.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace testsupport {

int listenOnLoopback(int& port)
{
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
    socklen_t length = sizeof address;
    ::bind(listener, reinterpret_cast<sockaddr*>(&address), length);
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    ::listen(listener, 16);
    port = ntohs(address.sin_port);
    return listener;
}

LoopbackPort::LoopbackPort(Behaviour behaviour) : socket_(listenOnLoopback(port_))
{
    if (behaviour == Behaviour::Closed)
        close();
}

LoopbackPort::LoopbackPort(std::string response) : socket_(listenOnLoopback(port_))
{
    answering_ = std::thread([this, response = std::move(response)] {
        const int peer = ::accept(socket_, nullptr, nullptr);
        close();
        std::string request(4096, '\0');
        ::recv(peer, request.data(), request.size(), 0);
        ::send(peer, response.data(), response.size(), MSG_NOSIGNAL);
        ::close(peer);
    });
}

LoopbackPort::~LoopbackPort()
{
    if (answering_.joinable())
        answering_.join();
    close();
}

void LoopbackPort::close()
{
    if (socket_ >= 0)
        ::close(socket_);
    socket_ = -1;
}

} // namespace testsupport
