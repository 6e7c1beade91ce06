#include "peer_list.h"

#include <algorithm>
#include <stdexcept>

namespace rsim::metrics {
namespace {

namespace ip = boost::asio::ip;

ip::address unmapped(const ip::address& address)
{
    if (address.is_v6() && address.to_v6().is_v4_mapped())
        return ip::make_address_v4(ip::v4_mapped, address.to_v6());
    return address;
}

// The first prefix bits of both, which must be of one family.
bool samePrefix(const ip::address& a, const ip::address& b, unsigned prefix)
{
    const auto bytes = [](const ip::address& x) {
        if (x.is_v4()) {
            const auto v4 = x.to_v4().to_bytes();
            return std::vector<unsigned char>(v4.begin(), v4.end());
        }
        const auto v6 = x.to_v6().to_bytes();
        return std::vector<unsigned char>(v6.begin(), v6.end());
    };
    const auto left = bytes(a), right = bytes(b);
    for (unsigned bit = 0; bit < prefix; ++bit) {
        const unsigned mask = 0x80u >> (bit % 8);
        if ((left[bit / 8] & mask) != (right[bit / 8] & mask))
            return false;
    }
    return true;
}

} // namespace

PeerList::PeerList(const std::vector<std::string>& entries)
{
    networks_ = {{ip::make_address("127.0.0.1"), 32}, {ip::make_address("::1"), 128}};
    for (const auto& entry : entries) {
        const std::size_t slash = entry.find('/');
        boost::system::error_code ec;
        const auto base = unmapped(ip::make_address(entry.substr(0, slash), ec));
        const unsigned width = base.is_v4() ? 32 : 128;
        unsigned prefix = width;
        if (!ec && slash != std::string::npos) {
            const std::string bits = entry.substr(slash + 1);
            const bool digits = !bits.empty() && bits.size() <= 3 &&
                                std::all_of(bits.begin(), bits.end(), ::isdigit);
            prefix = digits ? static_cast<unsigned>(std::stoul(bits)) : width + 1;
        }
        if (ec || prefix > width)
            throw std::invalid_argument("not an address or a network: '" + entry + "'");
        networks_.push_back({base, prefix});
    }
}

bool PeerList::allows(const std::string& address) const
{
    boost::system::error_code ec;
    const auto peer = unmapped(ip::make_address(address, ec));
    return !ec && std::any_of(networks_.begin(), networks_.end(), [&peer](const Network& n) {
        return n.base.is_v4() == peer.is_v4() && samePrefix(n.base, peer, n.prefix);
    });
}

} // namespace rsim::metrics
