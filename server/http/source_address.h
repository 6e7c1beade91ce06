// The address a request comes from. Behind a load balancer or proxy, every connection comes
// from the proxy; then, and only when the peer is one of the configured trusted proxies, the
// source is taken from X-Forwarded-For: its last hop that is not itself a trusted proxy (hops
// to its left are what the client wrote, and anyone can write them).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace rsim::http {

class SourceAddress {
public:
    // Throws std::invalid_argument naming an entry that is not an IP address.
    explicit SourceAddress(const std::vector<std::string>& trustedProxies);

    bool trusted(const std::string& address) const;
    // forwardedFor: the X-Forwarded-For values, comma-separated, as received.
    std::string of(const std::string& peer, std::string_view forwardedFor) const;

private:
    std::vector<std::string> trusted_; // in the form the peers' addresses are written
};

} // namespace rsim::http
