#include "loopback_port.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace testsupport {

void LoopbackPort::bindAny()
{
    socket_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
    socklen_t length = sizeof address;
    ::bind(socket_, reinterpret_cast<sockaddr*>(&address), length);
    ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
}

LoopbackPort::LoopbackPort(Behaviour behaviour)
{
    bindAny();
    if (behaviour == Behaviour::Silent)
        ::listen(socket_, 4);
    else
        close();
}

LoopbackPort::LoopbackPort(std::string response)
{
    bindAny();
    ::listen(socket_, 4);
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
