// A list of IP addresses and networks as an administrator writes them ("10.1.2.3",
// "10.1.0.0/16", "2001:db8::/32"): the peers that may read the metrics, or the trusted proxies.
// Behind a load balancer or proxy every connection comes from the proxy; when the peer is one of
// the trusted proxies, the source of a request is taken from X-Forwarded-For: its last hop that
// is not itself a trusted proxy (hops to its left are what the client wrote, and anyone can
// write them).
#pragma once

#include <boost/asio/ip/address.hpp>

#include <string>
#include <string_view>
#include <vector>

namespace rsim::http {

class AddressList {
public:
    // Throws std::invalid_argument naming an entry that is neither an address nor a network.
    explicit AddressList(const std::vector<std::string>& entries);

    // address: as a connection's peer is written; an IPv4 address mapped into IPv6 counts as
    // IPv4.
    bool contains(const std::string& address) const;
    // The address a request comes from, this list being the trusted proxies; forwardedFor: the
    // X-Forwarded-For values, comma-separated, as received.
    std::string sourceOf(const std::string& peer, std::string_view forwardedFor) const;

private:
    struct Network {
        boost::asio::ip::address base;
        unsigned prefix;
    };
    bool contains(const boost::asio::ip::address& address) const;

    std::vector<Network> networks_;
};

} // namespace rsim::http
