// The peers that may read the metrics: this host (127.0.0.1, ::1) always, and the addresses and
// networks an administrator lists ("10.1.2.3", "10.1.0.0/16", "2001:db8::/32").
#pragma once

#include <boost/asio/ip/address.hpp>

#include <string>
#include <vector>

namespace rsim::metrics {

class PeerList {
public:
    // Throws std::invalid_argument naming an entry that is neither an address nor a network.
    explicit PeerList(const std::vector<std::string>& entries);

    // address: as a connection's peer is written; an IPv4 address mapped into IPv6 counts as
    // IPv4.
    bool allows(const std::string& address) const;

private:
    struct Network {
        boost::asio::ip::address base;
        unsigned prefix;
    };
    std::vector<Network> networks_;
};

} // namespace rsim::metrics
